#include "settings/settingsio.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <cmath>
#include <new>
#include <optional>
#include <vector>

#include "base/fontsize.h"
#include "base/kxerror.h"
#include "display/documenttext.h"
#include "display/textprimitives.h"
#include "platform/platform.h"
#include "settings/settingsfile.h"

namespace korvex::settings {
namespace {

// Sizes the platform cannot show are left out instead of being applied.
constexpr int32_t kMinFontPoints = 1;
constexpr int32_t kMaxFontPoints = 1000;

int32_t fontPoints(const QFont& font, double dpi) {
    if (font.pixelSize() > 0) return pointSizeFromPixels(font.pixelSize(), dpi);
    return static_cast<int32_t>(std::lround(font.pointSizeF()));
}

// The settings applied straight to the main window, one at a time; the
// window's rectangle is gathered and placed at the end, when the screen it
// must fit on is known.
class FormTarget : public SettingsTarget {
public:
    explicit FormTarget(MainWindow& window) : main_(window), textWindow_(window.textWindow()) {}

    void setWindowTop(int32_t top) override { window_.top = top; }
    void setWindowLeft(int32_t left) override { window_.left = left; }
    void setWindowHeight(int32_t height) override { window_.height = height; }
    void setWindowWidth(int32_t width) override { window_.width = width; }
    void setWindowColour(Colour colour) override { textWindow_.setColours({colour, textWindow_.colours().text}); }
    void setFontName(std::string name) override {
        QFont font = textWindow_.textFont();
        font.setFamily(fromCp1252(name));
        textWindow_.setTextFont(font);
    }
    void setFontSize(int32_t points) override {
        if (points < kMinFontPoints || points > kMaxFontPoints) return;
        QFont font = textWindow_.textFont();
        font.setPixelSize(pixelsFromPointSize(points, textWindow_.dotsPerInch()));
        textWindow_.setTextFont(font);
    }
    void setFontStyle(FontStyle style) override {
        QFont font = textWindow_.textFont();
        font.setBold(style.bold);
        font.setItalic(style.italic);
        font.setUnderline(false);
        font.setStrikeOut(false);
        textWindow_.setTextFont(font);
    }
    void setFontColour(Colour colour) override { textWindow_.setColours({textWindow_.colours().background, colour}); }
    void setOpenDir(std::string dir) override { main_.openFolderChosen(fromCp1252(dir)); }
    void setSaveDir(std::string dir) override { main_.saveFolderChosen(fromCp1252(dir)); }
    void headerTakesTextWindowFont() override { main_.headerFollowsTextWindow(); }

    // The lines read of the window's rectangle, the rest as the window is now,
    // fitted onto a screen. Without them the window keeps its first place,
    // unless it is bigger than the screen (a laptop's at a high scale).
    void placeWindow() {
        const QRect now = main_.outerGeometry();
        const std::vector<ScreenRect> screens = availableScreenAreas();
        if (!window_.top &&
            (screens.empty() || (now.width() <= screens.front().width && now.height() <= screens.front().height))) {
            return;
        }
        const ScreenRect wanted{window_.left.value_or(now.left()), window_.top.value_or(now.top()),
                                window_.width.value_or(now.width()), window_.height.value_or(now.height())};
        const QSize minimum = main_.minimumOuterSize();
        const ScreenRect fitted = fitOntoScreens(wanted, minimum.width(), minimum.height(), screens);
        main_.setOuterGeometry(QRect(fitted.left, fitted.top, fitted.width, fitted.height));
    }

private:
    static std::vector<ScreenRect> availableScreenAreas() {
        std::vector<ScreenRect> areas;
        const QScreen* primary = QGuiApplication::primaryScreen();
        for (const QScreen* screen : QGuiApplication::screens()) {
            const QRect area = screen->availableGeometry();
            const ScreenRect rect{area.left(), area.top(), area.width(), area.height()};
            // The primary screen first: it takes a window that lies on none.
            areas.insert(screen == primary ? areas.begin() : areas.end(), rect);
        }
        return areas;
    }

    struct ReadRect {
        std::optional<int32_t> top, left, height, width;
    };

    MainWindow& main_;
    TextPrimitives& textWindow_;
    ReadRect window_;
};

}  // namespace

void readSettingsFile(MainWindow& window) {
    QByteArray bytes;
    bool opened = true;
    try {
        bytes = window.platform().readWholeFile(window.settingsFilePath());
    } catch (const KxError&) {
        opened = false;
    } catch (const std::bad_alloc&) {
        opened = false;  // too big for the memory left: like a damaged file
    }
    const std::string_view fileBytes(bytes.constData(), static_cast<size_t>(bytes.size()));
    FormTarget target(window);
    const bool complete = opened && readSettings(fileBytes, target) == SettingsReadResult::Complete;
    target.placeWindow();
    if (!complete) window.platform().showMessage(QString::fromUtf8(kDamagedSettingsMessage));
}

void placeWindowWithoutSettings(MainWindow& window) { FormTarget(window).placeWindow(); }

void writeSettingsFile(MainWindow& window) {
    const QRect outer = window.outerGeometry();
    const TextPrimitives& textWindow = window.textWindow();
    const QFont font = textWindow.textFont();
    SettingsRecord record;
    record.top = outer.top();
    record.left = outer.left();
    record.height = outer.height();
    record.width = outer.width();
    record.windowColour = window.windowColour();
    record.fontName = toCp1252(font.family());
    record.fontSize = fontPoints(font, textWindow.dotsPerInch());
    record.style = FontStyle{font.bold(), font.italic()};
    record.fontColour = textWindow.colours().text;
    record.openDir = settingsFolder(window.files().openDir.toStdU16String());
    record.saveDir = settingsFolder(window.files().saveDir.toStdU16String());
    const std::string out = composeSettings(record);
    window.platform().writeOwnFile(window.settingsFilePath(),
                                   QByteArray(out.data(), static_cast<qsizetype>(out.size())));
}

}  // namespace korvex::settings
