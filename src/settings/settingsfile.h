#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/textforms.h"

namespace korvex {

// In the working folder.
inline constexpr std::string_view kSettingsFileName = "Korvex23Ini.txt";

// Shown to the user (UTF-8) when the settings file could not be read in full.
inline const std::string kDamagedSettingsMessage =
    "Achtung! Beschädigte Inidatei!\n\rProgramm arbeitet mit Grundeinstellungen.";

// A line ends at CR LF, a lone CR or a lone LF; a NUL byte ends the content.
std::vector<std::string> splitSettingsLines(std::string_view bytes);

struct FontStyle {
    bool bold = false;
    bool italic = false;

    friend bool operator==(const FontStyle&, const FontStyle&) = default;
};

void PrintTo(const FontStyle& style, std::ostream* os);

// Always ten characters: "----------", "bold------", "----italic", "bolditalic".
std::string styleToText(FontStyle style);
// nullopt (leave the style as it is) for anything but the three marked forms.
std::optional<FontStyle> textToStyle(std::string_view text);

// Receives the settings one by one while the file is read; each call takes effect at once.
class SettingsTarget {
public:
    virtual ~SettingsTarget() = default;
    virtual void setWindowTop(int32_t top) = 0;
    virtual void setWindowLeft(int32_t left) = 0;
    virtual void setWindowHeight(int32_t height) = 0;
    virtual void setWindowWidth(int32_t width) = 0;
    virtual void setWindowColour(Colour colour) = 0;
    virtual void setFontName(std::string name) = 0;
    virtual void setFontSize(int32_t points) = 0;
    // The whole style: underline and strike-out go off.
    virtual void setFontStyle(FontStyle style) = 0;
    virtual void setFontColour(Colour colour) = 0;
    virtual void setOpenDir(std::string dir) = 0;
    virtual void setSaveDir(std::string dir) = 0;
    virtual void headerTakesTextWindowFont() = 0;
};

enum class SettingsReadResult { Complete, Damaged };

void PrintTo(SettingsReadResult result, std::ostream* os);

// Applies the file's settings in order and stops at the first line that is
// missing or does not convert; whatever was applied before stays applied.
SettingsReadResult readSettings(std::string_view fileBytes, SettingsTarget& target);

inline constexpr size_t kMaxFontNameLength = 31;

struct SettingsRecord {
    int32_t top = 0;
    int32_t left = 0;
    int32_t height = 0;
    int32_t width = 0;
    Colour windowColour;
    std::string fontName;
    int32_t fontSize = 0;
    FontStyle style;
    Colour fontColour;
    std::string openDir;
    std::string saveDir;

    friend bool operator==(const SettingsRecord&, const SettingsRecord&) = default;
};

void PrintTo(const SettingsRecord& record, std::ostream* os);

// The settings a read applied, as a record: each takes its field.
class RecordTarget : public SettingsTarget {
public:
    explicit RecordTarget(SettingsRecord start) : record(std::move(start)) {}

    void setWindowTop(int32_t top) override { apply(record.top, top); }
    void setWindowLeft(int32_t left) override { apply(record.left, left); }
    void setWindowHeight(int32_t height) override { apply(record.height, height); }
    void setWindowWidth(int32_t width) override { apply(record.width, width); }
    void setWindowColour(Colour colour) override { apply(record.windowColour, colour); }
    void setFontName(std::string name) override { apply(record.fontName, std::move(name)); }
    void setFontSize(int32_t points) override { apply(record.fontSize, points); }
    void setFontStyle(FontStyle style) override { apply(record.style, style); }
    void setFontColour(Colour colour) override { apply(record.fontColour, colour); }
    void setOpenDir(std::string dir) override { apply(record.openDir, std::move(dir)); }
    void setSaveDir(std::string dir) override { apply(record.saveDir, std::move(dir)); }
    void headerTakesTextWindowFont() override { ++headerFontTaken; }

    SettingsRecord record;
    // How often the header took the text window's font, and whether a
    // setting came after that (a read applies every setting first).
    int headerFontTaken = 0;
    bool settingAfterHeaderFont = false;

private:
    template <typename T>
    void apply(T& field, T value) {
        field = std::move(value);
        settingAfterHeaderFont = settingAfterHeaderFont || headerFontTaken > 0;
    }
};

// The whole file: fifteen lines, each ended by CR LF. A font name or folder
// that one line cannot hold (a CR, LF or NUL in it) is written empty, so
// the lines after it keep their places.
std::string composeSettings(const SettingsRecord& record);

// A folder as the settings file keeps it: its Windows-1252 bytes, or empty
// (the dialog then starts where the platform chooses) when the code page
// cannot hold every character of it, so no other folder is remembered.
std::string settingsFolder(std::u16string_view folder);

// A rectangle on the desktop in screen pixels: a window's outer rectangle
// (frame and title bar included) or the free area of a screen.
struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;

    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

void PrintTo(const ScreenRect& rect, std::ostream* os);

// Where a window read from the settings file opens: on the screen it covers
// most (the first screen when it covers none), no larger than that screen
// and wholly on it, but never smaller than the window's minimum. A window
// that already lies on a screen keeps its rectangle exactly.
ScreenRect fitOntoScreens(ScreenRect window, int32_t minWidth, int32_t minHeight,
                          const std::vector<ScreenRect>& screens);

}  // namespace korvex
