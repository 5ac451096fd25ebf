// The settings file read over arbitrary bytes: only a file of at least 13
// lines can be complete, the header font follows only a complete read, and
// the settings that took effect, written again, read back as the same.
//
// The same bytes as a record the program can write: any numbers, colours and
// style, a font name of any bytes, and folders of any characters (the way
// they are kept for the file). Written and read back it is complete and the
// same, but for a font name cut to 31 characters, and a font name or folder
// the file cannot hold exactly, which comes back empty (the font stays).
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/cp1252.h"
#include "fuzzcheck.h"
#include "fuzzunits.h"
#include "oracles/defaultsettings.h"
#include "settings/settingsfile.h"

using namespace korvex;

namespace {

// Takes values off the front of the fuzz input; zeros once it is used up.
class InputReader {
public:
    explicit InputReader(std::string_view bytes) : rest_(bytes) {}
    uint32_t number() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = value << 8 | byte();
        return value;
    }
    unsigned char byte() {
        if (rest_.empty()) return 0;
        const auto b = static_cast<unsigned char>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    std::string_view piece() {
        const size_t length = std::min<size_t>(byte() % 48, rest_.size());
        const std::string_view taken = rest_.substr(0, length);
        rest_.remove_prefix(length);
        return taken;
    }

private:
    std::string_view rest_;
};

bool fitsOneLine(std::string_view value) {
    return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::u16string unicodeOf(std::string_view bytes) {
    std::u16string text;
    for (const char c : bytes) text += cp1252::toUnicode(static_cast<unsigned char>(c));
    return text;
}

// Folders end with a separator, as the program takes them from a path.
std::u16string folderOf(std::string_view piece) {
    std::u16string folder = unitsOf(piece);
    if (!folder.empty()) folder += u'/';
    return folder;
}

// A folder every character of which one line of the file can hold comes back
// as it was; any other comes back empty.
void checkFolderCameBack(const std::u16string& folder, const std::string& read) {
    bool storable = true;
    for (const char16_t u : folder) storable = storable && cp1252::canEncode(u) && u != u'\r' && u != u'\n' && u != 0;
    if (storable) {
        FUZZ_CHECK(unicodeOf(read) == folder);
    } else {
        FUZZ_CHECK(read.empty());
    }
}

void checkWrittenRecord(std::string_view bytes) {
    InputReader in(bytes);
    SettingsRecord record;
    record.top = static_cast<int32_t>(in.number());
    record.left = static_cast<int32_t>(in.number());
    record.height = static_cast<int32_t>(in.number());
    record.width = static_cast<int32_t>(in.number());
    record.windowColour = Colour(in.number());
    record.fontSize = static_cast<int32_t>(in.number());
    record.fontColour = Colour(in.number());
    const unsigned char style = in.byte();
    record.style = FontStyle{(style & 1) != 0, (style & 2) != 0};
    record.fontName = std::string(in.piece());
    const std::u16string openFolder = folderOf(in.piece());
    const std::u16string saveFolder = folderOf(in.piece());
    record.openDir = settingsFolder(openFolder);
    record.saveDir = settingsFolder(saveFolder);

    const std::string written = composeSettings(record);
    FUZZ_CHECK(splitSettingsLines(written).size() == 15);
    RecordTarget back(kDefaultSettings);
    FUZZ_CHECK(readSettings(written, back) == SettingsReadResult::Complete);
    SettingsRecord expected = record;
    const bool nameKept = !record.fontName.empty() && fitsOneLine(record.fontName);
    expected.fontName = nameKept ? record.fontName.substr(0, kMaxFontNameLength) : kDefaultSettings.fontName;
    expected.openDir = back.record.openDir;
    expected.saveDir = back.record.saveDir;
    FUZZ_CHECK(back.record == expected);
    checkFolderCameBack(openFolder, back.record.openDir);
    checkFolderCameBack(saveFolder, back.record.saveDir);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkWrittenRecord(bytes);
    RecordTarget first(kDefaultSettings);
    const SettingsReadResult result = readSettings(bytes, first);
    const bool complete = result == SettingsReadResult::Complete;
    FUZZ_CHECK(!complete || splitSettingsLines(bytes).size() >= 13);
    FUZZ_CHECK(first.headerFontTaken == (complete ? 1 : 0));
    FUZZ_CHECK(!first.settingAfterHeaderFont);
    FUZZ_CHECK(!first.record.fontName.empty() && first.record.fontName.size() <= kMaxFontNameLength);

    const std::string written = composeSettings(first.record);
    FUZZ_CHECK(splitSettingsLines(written).size() == 15);
    RecordTarget second(kDefaultSettings);
    FUZZ_CHECK(readSettings(written, second) == SettingsReadResult::Complete);
    FUZZ_CHECK(second.record == first.record);
    FUZZ_CHECK(composeSettings(second.record) == written);
    return 0;
}
