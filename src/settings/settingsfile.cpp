#include "settings/settingsfile.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/cp1252.h"
#include "base/kxerror.h"

namespace korvex {
namespace {

constexpr std::string_view kEndMarker = "EndOfFile";

// What reading a line leads to.
enum class Next { Line, End };

// One line of the file: how it is applied when read and written from a
// record. A line with text of its own is written as that text and not read.
struct SettingsLine {
    std::string_view text;
    Next (*read)(const std::string& line, SettingsTarget& target) = nullptr;
    std::string (*write)(const SettingsRecord& record) = nullptr;
};

template <void (SettingsTarget::*set)(int32_t), int32_t SettingsRecord::*field>
constexpr SettingsLine integerLine() {
    return {{},
            [](const std::string& line, SettingsTarget& target) {
                (target.*set)(textToInteger(line));
                return Next::Line;
            },
            [](const SettingsRecord& record) { return integerToText(record.*field); }};
}

template <void (SettingsTarget::*set)(Colour), Colour SettingsRecord::*field>
constexpr SettingsLine colourLine() {
    return {{},
            [](const std::string& line, SettingsTarget& target) {
                (target.*set)(textToColour(line));
                return Next::Line;
            },
            [](const SettingsRecord& record) { return colourToText(record.*field); }};
}

// A value of its own line: one that would break the line is written empty.
std::string oneLine(std::string_view value) {
    const bool fits = value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
    return std::string(fits ? value : std::string_view());
}

// The file, line by line. Reading stops at the first line that is missing
// or does not convert; an end marker in place of the folders means they
// were never written.
const std::array<SettingsLine, 15> kSettingsLines = {{
    {"Korvex-V2.3 INI:"},
    {">> Top, Left, Height, Width:"},
    integerLine<&SettingsTarget::setWindowTop, &SettingsRecord::top>(),
    integerLine<&SettingsTarget::setWindowLeft, &SettingsRecord::left>(),
    integerLine<&SettingsTarget::setWindowHeight, &SettingsRecord::height>(),
    integerLine<&SettingsTarget::setWindowWidth, &SettingsRecord::width>(),
    {">> Color, Font, FontSize, FettKursiv, FontColor:"},
    colourLine<&SettingsTarget::setWindowColour, &SettingsRecord::windowColour>(),
    {{},
     [](const std::string& line, SettingsTarget& target) {
         if (!line.empty()) target.setFontName(line.substr(0, kMaxFontNameLength));
         return Next::Line;
     },
     [](const SettingsRecord& record) { return oneLine(record.fontName); }},
    integerLine<&SettingsTarget::setFontSize, &SettingsRecord::fontSize>(),
    {{},
     [](const std::string& line, SettingsTarget& target) {
         if (const auto style = textToStyle(line)) target.setFontStyle(*style);
         return Next::Line;
     },
     [](const SettingsRecord& record) { return styleToText(record.style); }},
    colourLine<&SettingsTarget::setFontColour, &SettingsRecord::fontColour>(),
    {{},
     [](const std::string& line, SettingsTarget& target) {
         if (line == kEndMarker) return Next::End;
         target.setOpenDir(line);
         return Next::Line;
     },
     [](const SettingsRecord& record) { return oneLine(record.openDir); }},
    {{},
     [](const std::string& line, SettingsTarget& target) {
         target.setSaveDir(line);
         return Next::Line;
     },
     [](const SettingsRecord& record) { return oneLine(record.saveDir); }},
    {kEndMarker},
}};

// Computed in 64 bits: a rectangle from the file may reach past 2^31.
int64_t overlapArea(const ScreenRect& a, const ScreenRect& b) {
    const auto overlap = [](int64_t start1, int64_t length1, int64_t start2, int64_t length2) {
        return std::max<int64_t>(0, std::min(start1 + length1, start2 + length2) - std::max(start1, start2));
    };
    return overlap(a.left, a.width, b.left, b.width) * overlap(a.top, a.height, b.top, b.height);
}

// One side: the length between the minimum and the screen's (the minimum wins), the start on the screen.
void fitSide(int32_t& start, int32_t& length, int32_t minLength, int32_t screenStart, int32_t screenLength) {
    length = std::max(std::min(length, screenLength), minLength);
    const int64_t last = int64_t{screenStart} + screenLength - length;
    start = static_cast<int32_t>(std::max<int64_t>(screenStart, std::min<int64_t>(start, last)));
}

}  // namespace

std::vector<std::string> splitSettingsLines(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

void PrintTo(const FontStyle& style, std::ostream* os) { *os << styleToText(style); }

std::string styleToText(FontStyle style) {
    return std::string(style.bold ? "bold" : "----") + (style.italic ? "italic" : "------");
}

std::optional<FontStyle> textToStyle(std::string_view text) {
    if (text == "bold------") return FontStyle{true, false};
    if (text == "----italic") return FontStyle{false, true};
    if (text == "bolditalic") return FontStyle{true, true};
    return std::nullopt;
}

void PrintTo(SettingsReadResult result, std::ostream* os) {
    *os << (result == SettingsReadResult::Complete ? "Complete" : "Damaged");
}

SettingsReadResult readSettings(std::string_view fileBytes, SettingsTarget& target) {
    const std::vector<std::string> lines = splitSettingsLines(fileBytes);
    for (size_t i = 0; i < kSettingsLines.size(); ++i) {
        if (!kSettingsLines[i].read) continue;
        if (i >= lines.size()) return SettingsReadResult::Damaged;
        try {
            if (kSettingsLines[i].read(lines[i], target) == Next::End) break;
        } catch (const KxError&) {
            return SettingsReadResult::Damaged;
        }
    }
    target.headerTakesTextWindowFont();
    return SettingsReadResult::Complete;
}

void PrintTo(const SettingsRecord& record, std::ostream* os) {
    *os << "{" << record.top << ", " << record.left << ", " << record.height << ", " << record.width << ", "
        << colourToText(record.windowColour) << ", \"" << record.fontName << "\", " << record.fontSize << ", "
        << styleToText(record.style) << ", " << colourToText(record.fontColour) << ", \"" << record.openDir << "\", \""
        << record.saveDir << "\"}";
}

std::string composeSettings(const SettingsRecord& record) {
    std::string out;
    for (const SettingsLine& line : kSettingsLines) {
        out.append(line.write ? line.write(record) : std::string(line.text));
        out.append("\r\n");
    }
    return out;
}

std::string settingsFolder(std::u16string_view folder) {
    std::string bytes;
    bytes.reserve(folder.size());
    for (const char16_t u : folder) {
        if (!cp1252::canEncode(u)) return {};
        bytes += static_cast<char>(cp1252::fromUnicode(u));
    }
    return bytes;
}

void PrintTo(const ScreenRect& rect, std::ostream* os) {
    *os << rect.left << "," << rect.top << " " << rect.width << "x" << rect.height;
}

ScreenRect fitOntoScreens(ScreenRect window, int32_t minWidth, int32_t minHeight,
                          const std::vector<ScreenRect>& screens) {
    if (screens.empty()) return window;
    const ScreenRect* best = &screens.front();
    int64_t bestArea = 0;
    for (const ScreenRect& screen : screens) {
        const int64_t area = overlapArea(window, screen);
        if (area > bestArea) {
            best = &screen;
            bestArea = area;
        }
    }
    fitSide(window.left, window.width, minWidth, best->left, best->width);
    fitSide(window.top, window.height, minHeight, best->top, best->height);
    return window;
}

}  // namespace korvex
