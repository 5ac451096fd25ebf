#include "platform/qtplatform.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <algorithm>

#include "base/kxerror.h"
#include "platform/files.h"
#include "platform/printdialog.h"
#include "platform/printjob.h"

namespace korvex {
namespace {

const QString kFileFilter = QStringLiteral("Textdateien (*.txt);;Alle Dateien (*)");

[[noreturn]] void fail(const QString& message) { throw KxError(message.toStdString()); }

}  // namespace

QString applicationTitle(const QString& programFilePath) {
    QString name = QFileInfo(programFilePath).fileName();
    name = name.left(name.indexOf(QLatin1Char('.')) < 0 ? name.size() : name.indexOf(QLatin1Char('.')));
    if (name.isEmpty()) return name;
    return name.left(1) + name.mid(1).toLower();
}

QString applicationTitle() { return applicationTitle(QCoreApplication::applicationFilePath()); }

QString errorReportText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') return message + QLatin1Char('.');
    return message;
}

QString displayPath(const QString& path) { return QDir::toNativeSeparators(path); }

QtPlatform::QtPlatform() = default;

QtPlatform::~QtPlatform() {
    job_.reset();  // an open job ends before its printer
}

std::optional<QString> QtPlatform::askOpenFileName(QWidget* parent, const QString& initialDir) {
    QFileDialog dialog(parent, QString(), initialDir, kFileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);  // a typed name need not exist
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

std::optional<QString> QtPlatform::askSaveFileName(QWidget* parent, const QString& initialDir) {
    QFileDialog dialog(parent, QString(), initialDir, kFileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : QDir::toNativeSeparators(files.constFirst());
}

namespace {

// A font as the font dialog can show it: a face the system has, in points.
// The text window may ask for a face by a name the system lacks ("Courier
// New" with a stand-in of the same metrics); the dialog would not find it
// and show some other face.
QFont asTheDialogShowsIt(const QFont& font) {
    const QFontInfo seen(font);
    QFont shown(font);
    shown.setFamilies({seen.family()});
    shown.setPointSize(seen.pointSize());
    return shown;
}

bool sameChoice(const QFont& a, const QFont& b) {
    return a.family() == b.family() && a.pointSize() == b.pointSize() && a.bold() == b.bold() &&
           a.italic() == b.italic() && a.underline() == b.underline() && a.strikeOut() == b.strikeOut();
}

// What the user left as shown stays as the text window asked for it: the
// face's name and the size in pixels.
QFont keepWhatWasShown(QFont chosen, const QFont& asked, const QFont& shown) {
    if (sameChoice(chosen, shown)) return asked;
    if (chosen.family() == shown.family()) chosen.setFamily(asked.family());
    if (chosen.pointSize() == shown.pointSize() && asked.pixelSize() > 0) chosen.setPixelSize(asked.pixelSize());
    return chosen;
}

}  // namespace

std::optional<FontChoice> QtPlatform::askFont(QWidget* parent, const FontChoice& initial) {
    const QFont shown = asTheDialogShowsIt(initial.font);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, shown, parent);
    if (!ok) return std::nullopt;
    const QFont font = keepWhatWasShown(chosen, initial.font, shown);
    // The system font dialog has no colour of its own here; a second step offers it.
    const QColor colour = QColorDialog::getColor(initial.colour, parent, QStringLiteral("Schriftfarbe"));
    return FontChoice{font, colour.isValid() ? colour : initial.colour};
}

namespace {

// A message belongs to the window the user is in: the window manager keeps
// it above that window, also one kept on top (see shownWindowKeptOnTop).
QWidget* messageOwner() {
    if (QWidget* active = QApplication::activeWindow()) return active;
    return shownWindowKeptOnTop();
}

}  // namespace

QWidget* shownWindowKeptOnTop(const QWidget* except) {
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto onTop = std::find_if(windows.begin(), windows.end(), [except](const QWidget* window) {
        return window != except && window->isVisible() && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    });
    return onTop == windows.end() ? nullptr : *onTop;
}

void QtPlatform::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, messageOwner());
    // A screen reader says the message along with the box's name (the program's title).
    box.setAccessibleDescription(text);
    box.exec();
}

void QtPlatform::showErrorReport(const QString& message) {
    QMessageBox box(QMessageBox::Critical, applicationTitle(), errorReportText(message), QMessageBox::Ok,
                    messageOwner());
    box.setAccessibleDescription(box.text());
    box.exec();
}

uint32_t QtPlatform::tickMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    // Truncated to 32 bits on purpose: the stopwatch works with a wrapping tick.
    return static_cast<uint32_t>(clock.elapsed());
}

QString shortDate(const QDate& date, const QLocale& system) {
    const QLocale locale = system.language() == QLocale::C ? QLocale(QLocale::German, QLocale::Germany) : system;
    return locale.toString(date, QLocale::ShortFormat);
}

QString QtPlatform::todayShortDate() { return shortDate(QDate::currentDate(), QLocale::system()); }

QString QtPlatform::currentDirectory() { return QDir::currentPath(); }

QString QtPlatform::userDataFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : QDir(data).filePath(QStringLiteral("korvex"));
}

bool QtPlatform::makePrivateFolder(const QString& path) { return korvex::makePrivateFolder(path); }

bool QtPlatform::isOwnFile(const QString& path) { return isOwnRegularFile(path); }

bool QtPlatform::fileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

QByteArray QtPlatform::readWholeFile(const QString& path) {
    return readRegularFile(path, static_cast<qint64>(kLargestReadableFile));
}

void QtPlatform::writeWholeFile(const QString& path, const QByteArray& bytes) { replaceFileContents(path, bytes); }

void QtPlatform::writeOwnFile(const QString& path, const QByteArray& bytes) { replaceOwnFile(path, bytes, false); }

void QtPlatform::writePrivateFile(const QString& path, const QByteArray& bytes) { replaceOwnFile(path, bytes, true); }

QByteArray QtPlatform::readOwnFile(const QString& path) {
    return korvex::readOwnFile(path, static_cast<qint64>(kLargestReadableFile));
}

QString QtPlatform::clipboardText() { return QGuiApplication::clipboard()->text(); }

void QtPlatform::setClipboardText(const QString& text) { QGuiApplication::clipboard()->setText(text); }

QtPrintJob& QtPlatform::currentJob() {
    if (!job_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        job_ = std::make_unique<QtPrintJob>(*printer_);
    }
    return *job_;
}

bool QtPlatform::askPrintSetup(QWidget* parent) {
    if (QPrinterInfo::defaultPrinterName().isEmpty()) fail(QStringLiteral("Zur Zeit ist kein Standarddrucker gewählt"));
    PrintSetupDialog dialog(currentJob().printer(), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    chosenPages_ = dialog.chosenPages();
    return true;
}

const QPrinter& QtPlatform::currentPrinter() { return currentJob().printer(); }

PrintJob& QtPlatform::printJob() { return currentJob(); }

}  // namespace korvex
