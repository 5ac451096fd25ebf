// Whole numbers and colours as the settings file writes and reads them:
// whatever reads, writes back to a text that reads as the same value, and a
// text that does not read fails with the one message, never otherwise.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "base/cp1252.h"
#include "base/kxerror.h"
#include "base/textforms.h"
#include "fuzzcheck.h"

using namespace korvex;

namespace {

// As what() gives it: a C string, so a NUL in the text ends the message there.
std::string expectedMessage(std::string_view text) {
    const std::string message = "'" + cp1252::toUtf8(text) + "' ist kein gültiger Integerwert";
    return message.substr(0, message.find('\0'));
}

void checkIntegerText(std::string_view text) {
    int32_t value = 0;
    try {
        value = textToInteger(text);
    } catch (const KxError& error) {
        FUZZ_CHECK(error.what() == expectedMessage(text));
        return;
    }
    // A value is never read from text with a blank inside or behind it.
    const size_t firstNonBlank = text.find_first_not_of(' ');
    FUZZ_CHECK(firstNonBlank != std::string_view::npos);
    FUZZ_CHECK(text.find(' ', firstNonBlank) == std::string_view::npos);
    FUZZ_CHECK(textToInteger(integerToText(value)) == value);
}

void checkColourText(std::string_view text) {
    Colour colour;
    try {
        colour = textToColour(text);
    } catch (const KxError& error) {
        FUZZ_CHECK(error.what() == expectedMessage(text));
        return;
    }
    FUZZ_CHECK(textToColour(colourToText(colour)) == colour);
}

void checkValue(uint32_t raw) {
    const auto value = static_cast<int32_t>(raw);
    const std::string decimal = integerToText(value);
    FUZZ_CHECK(textToInteger(decimal) == value);
    FUZZ_CHECK(textToInteger(" " + decimal) == value);

    const std::string written = colourToText(Colour(raw));
    FUZZ_CHECK(textToColour(written) == Colour(raw));
    // Either a name of the table or "$" with eight upper-case hex digits.
    bool named = false;
    for (const NamedColour& entry : colourNames()) named = named || written == entry.name;
    if (!named) {
        FUZZ_CHECK(written.size() == 9 && written[0] == '$');
        FUZZ_CHECK(written.find_first_not_of("0123456789ABCDEF", 1) == std::string::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkIntegerText(text);
    checkColourText(text);
    uint32_t raw = 0;
    std::memcpy(&raw, data, size < sizeof raw ? size : sizeof raw);
    checkValue(raw);
    return 0;
}
