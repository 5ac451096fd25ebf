#include "settings/settingsio.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <cmath>
#include <new>

#include "app/kxerror.h"
#include "app/qtconvert.h"
#include "app/textwindow.h"
#include "app/uKorvex21.h"
#include "document/headerfield.h"
#include "platform/platform.h"
#include "settings/settingsfile.h"

namespace korvex::settings {
namespace {

// Sizes the platform cannot show are left out instead of being applied.
constexpr int32_t kMinFontPoints = 1;
constexpr int32_t kMaxFontPoints = 1000;

double logicalDpi(const TForm1& form) {
    const QScreen* screen = form.screen() ? form.screen() : QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

int pointsToPixels(int32_t points, double dpi) { return static_cast<int>(std::lround(points * dpi / 72.0)); }

int32_t fontPoints(const QFont& font, double dpi) {
    if (font.pixelSize() > 0) return static_cast<int32_t>(std::lround(font.pixelSize() * 72.0 / dpi));
    return static_cast<int32_t>(std::lround(font.pointSizeF()));
}

// The space the window manager's frame takes around the window's client area.
QMargins frameMargins(const TForm1& form) {
    const QRect outer = form.frameGeometry();
    const QRect inner = form.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// The settings applied straight to the main window, one at a time.
class FormTarget : public SettingsTarget {
public:
    explicit FormTarget(TForm1& form) : form_(form), memo_(*form.MemArbeitsfenster) {}

    void setWindowTop(int32_t top) override { form_.move(form_.frameGeometry().left(), top); }
    void setWindowLeft(int32_t left) override { form_.move(left, form_.frameGeometry().top()); }
    void setWindowHeight(int32_t height) override {
        const QMargins frame = frameMargins(form_);
        form_.resize(form_.width(), height - frame.top() - frame.bottom());
    }
    void setWindowWidth(int32_t width) override {
        const QMargins frame = frameMargins(form_);
        form_.resize(width - frame.left() - frame.right(), form_.height());
    }
    void setWindowColour(Colour colour) override { memo_.setColours({colour, memo_.colours().text}); }
    void setFontName(std::string name) override {
        QFont font = memo_.font();
        font.setFamily(fromCp1252(name));
        memo_.setFont(font);
    }
    void setFontSize(int32_t points) override {
        if (points < kMinFontPoints || points > kMaxFontPoints) return;
        QFont font = memo_.font();
        font.setPixelSize(pointsToPixels(points, logicalDpi(form_)));
        memo_.setFont(font);
    }
    void setFontStyle(FontStyle style) override {
        QFont font = memo_.font();
        font.setBold(style.bold);
        font.setItalic(style.italic);
        font.setUnderline(false);
        font.setStrikeOut(false);
        memo_.setFont(font);
    }
    void setFontColour(Colour colour) override { memo_.setColours({memo_.colours().background, colour}); }
    void setOpenDir(std::string dir) override { form_.OpenDir = fromCp1252(dir); }
    void setSaveDir(std::string dir) override { form_.SaveDir = fromCp1252(dir); }
    void headerTakesTextWindowFont() override {
        form_.EdiKopfzeile->setFont(memo_.font());
        form_.EdiKopfzeile->setColours(memo_.colours());
    }

private:
    TForm1& form_;
    TextWindow& memo_;
};

// A window placed where no screen shows it could never be reached again:
// it goes to the primary screen at its size, shrunk to fit when larger.
void keepOnScreen(TForm1& form) {
    const QRect outer = form.frameGeometry();
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(outer)) return;
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return;
    const QRect area = primary->availableGeometry();
    const QMargins frame = frameMargins(form);
    const QSize size(std::min(outer.width(), area.width()), std::min(outer.height(), area.height()));
    form.resize(size.width() - frame.left() - frame.right(), size.height() - frame.top() - frame.bottom());
    form.move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

}  // namespace

void readSettingsFile(TForm1& form) {
    // The frame is known only once the window exists; sizes in the file include it.
    form.winId();
    QByteArray bytes;
    bool opened = true;
    try {
        bytes = form.platform().readWholeFile(form.SettingsFilePath);
    } catch (const KxError&) {
        opened = false;
    } catch (const std::bad_alloc&) {
        opened = false;  // too big for the memory left: like a damaged file
    }
    const std::string_view fileBytes(bytes.constData(), static_cast<size_t>(bytes.size()));
    form.LisReg.clear();
    for (const std::string& line : splitSettingsLines(fileBytes)) form.LisReg << fromCp1252(line);
    FormTarget target(form);
    const bool complete = opened && readSettings(fileBytes, target) == SettingsReadResult::Complete;
    keepOnScreen(form);
    if (!complete) form.platform().showMessage(QString::fromUtf8(kDamagedSettingsMessage));
}

void writeSettingsFile(TForm1& form) {
    // A minimised window stores where it opens again; any other what it covers now.
    QRect outer = form.frameGeometry();
    if (form.isMinimized()) {
        const QMargins frame = frameMargins(form);
        outer = form.normalGeometry().marginsAdded(frame);
    }
    const TextWindow& memo = *form.MemArbeitsfenster;
    const QFont font = memo.font();
    SettingsRecord record;
    record.top = outer.top();
    record.left = outer.left();
    record.height = outer.height();
    record.width = outer.width();
    record.windowColour = form.WindowColor;
    record.fontName = toCp1252(font.family());
    record.fontSize = fontPoints(font, logicalDpi(form));
    record.style = FontStyle{font.bold(), font.italic()};
    record.fontColour = memo.colours().text;
    record.openDir = settingsFolder(form.OpenDir.toStdU16String());
    record.saveDir = settingsFolder(form.SaveDir.toStdU16String());
    const std::string out = composeSettings(record);
    form.platform().writeWholeFile(form.SettingsFilePath, QByteArray(out.data(), static_cast<qsizetype>(out.size())));
}

}  // namespace korvex::settings
