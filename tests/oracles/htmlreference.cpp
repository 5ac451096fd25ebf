#include "oracles/htmlreference.h"

#include <stdexcept>
#include <vector>

#include "base/cp1252.h"
#include "oracles/loadedtext.h"

namespace korvex {
namespace {

constexpr char16_t kBlockSeparator = 0x2029;

void replaceAll(std::string& text, std::string_view find, std::string_view replaceWith) {
    std::string result;
    size_t from = 0;
    for (size_t at = text.find(find); at != std::string::npos; at = text.find(find, from)) {
        result.append(text, from, at - from);
        result.append(replaceWith);
        from = at + find.size();
    }
    result.append(text, from);
    text = std::move(result);
}

}  // namespace

std::string convertToHtmlStepByStep(std::string_view text, HtmlConversion mode) {
    std::string result(text);
    for (const HtmlReplacement& r : kHtmlReplacements) {
        if (r.appliesTo(mode)) replaceAll(result, r.find, r.replaceWith);
    }
    return result;
}

std::string savedBytes(std::u16string_view raw) {
    std::string bytes;
    for (const char16_t u : raw) {
        if (u == u'\n' || u == 0x2028 || u == kBlockSeparator) {
            bytes += "\r\n";
        } else {
            bytes += static_cast<char>(cp1252::fromUnicode(u));
        }
    }
    return bytes;
}

std::u16string loadedRawText(std::string_view fileBytes) {
    const std::string text = normalizeLoadedText(fileBytes);
    std::u16string raw;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            raw += kBlockSeparator;
            ++i;
        } else {
            raw += cp1252::toUnicode(static_cast<unsigned char>(text[i]));
        }
    }
    return raw;
}

std::u16string convertRawInPieces(std::u16string_view raw, HtmlConversion mode, size_t firstRoom, size_t& breaks) {
    std::vector<char16_t> out(firstRoom);
    RawHtmlProgress progress;
    for (;;) {
        convertRawToHtml(raw, mode, out, progress);
        if (progress.ended || progress.read == raw.size()) break;
        out.resize(out.size() + out.size() / 2 + 1);
    }
    if (progress.written > out.size()) throw std::logic_error("convertRawToHtml wrote past its room");
    breaks = progress.breaks;
    return {out.data(), progress.written};
}

}  // namespace korvex
