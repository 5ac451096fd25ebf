#include "settings/settingsfile.h"

#include <algorithm>
#include <utility>

#include "base/cp1252.h"
#include "base/kxerror.h"

namespace korvex {
namespace {

constexpr std::string_view kEndMarker = "EndOfFile";

// Thrown inside readSettings only, when a line the next step needs is missing.
struct MissingLine {};

class LineReader {
public:
    explicit LineReader(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    const std::string& line(size_t index) const {
        if (index >= lines_.size()) throw MissingLine{};
        return lines_[index];
    }
    int32_t integer(size_t index) const { return textToInteger(line(index)); }
    Colour colour(size_t index) const { return textToColour(line(index)); }

private:
    std::vector<std::string> lines_;
};

void applyWindow(const LineReader& in, SettingsTarget& target) {
    target.setWindowTop(in.integer(2));
    target.setWindowLeft(in.integer(3));
    target.setWindowHeight(in.integer(4));
    target.setWindowWidth(in.integer(5));
    target.setWindowColour(in.colour(7));
}

void applyFont(const LineReader& in, SettingsTarget& target) {
    const std::string& name = in.line(8);
    if (!name.empty()) target.setFontName(name.substr(0, kMaxFontNameLength));
    target.setFontSize(in.integer(9));
    if (const auto style = textToStyle(in.line(10))) target.setFontStyle(*style);
    target.setFontColour(in.colour(11));
}

// An end marker in place of the folders means they were never written.
void applyFolders(const LineReader& in, SettingsTarget& target) {
    const std::string& open = in.line(12);
    if (open == kEndMarker) return;
    target.setOpenDir(open);
    target.setSaveDir(in.line(13));
}

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

void appendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append("\r\n");
}

// A value of its own line: one that would break the line is left out.
void appendValueLine(std::string& out, std::string_view value) {
    const bool fits = value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
    appendLine(out, fits ? value : std::string_view());
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
    const LineReader in(splitSettingsLines(fileBytes));
    try {
        applyWindow(in, target);
        applyFont(in, target);
        applyFolders(in, target);
    } catch (const MissingLine&) {
        return SettingsReadResult::Damaged;
    } catch (const KxError&) {
        return SettingsReadResult::Damaged;
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
    appendLine(out, "Korvex-V2.3 INI:");
    appendLine(out, ">> Top, Left, Height, Width:");
    appendLine(out, integerToText(record.top));
    appendLine(out, integerToText(record.left));
    appendLine(out, integerToText(record.height));
    appendLine(out, integerToText(record.width));
    appendLine(out, ">> Color, Font, FontSize, FettKursiv, FontColor:");
    appendLine(out, colourToText(record.windowColour));
    appendValueLine(out, record.fontName);
    appendLine(out, integerToText(record.fontSize));
    appendLine(out, styleToText(record.style));
    appendLine(out, colourToText(record.fontColour));
    appendValueLine(out, record.openDir);
    appendValueLine(out, record.saveDir);
    appendLine(out, kEndMarker);
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
