// The one-pass HTML conversion against the literal replacement chain, for
// both buttons; with "RAll" no angle bracket survives but those of <BR>.
#include <cstdint>
#include <string>
#include <string_view>

#include "editing/htmlconvert.h"
#include "fuzzcheck.h"

using namespace korvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const HtmlConversion mode : {HtmlConversion::KeepTags, HtmlConversion::All}) {
        const std::string html = convertToHtml(text, mode);
        FUZZ_CHECK(html == convertToHtmlStepByStep(text, mode));
        if (mode != HtmlConversion::All) continue;
        std::string rest;
        for (size_t i = 0; i < html.size(); ++i) {
            if (html.compare(i, 4, "<BR>") == 0) {
                i += 3;
            } else {
                rest += html[i];
            }
        }
        FUZZ_CHECK(rest.find_first_of("<>") == std::string::npos);
    }
    return 0;
}
