#pragma once

#include <memory>

#include "platform/platform.h"

class QDate;
class QLocale;
class QPrinter;
class QWidget;

namespace korvex {

class QtPrintJob;

// A date in the short format of the system's locale; a system without a
// language of its own (the C locale) gets the German one the program speaks.
QString shortDate(const QDate& date, const QLocale& system);

// The platform as the operating system and Qt provide it.
class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    std::optional<QString> askOpenFileName(QWidget* parent, const QString& initialDir) override;
    std::optional<QString> askSaveFileName(QWidget* parent, const QString& initialDir) override;
    std::optional<FontChoice> askFont(QWidget* parent, const FontChoice& initial) override;

    void showMessage(const QString& text) override;
    void showErrorReport(const QString& message) override;

    uint32_t tickMs() override;
    QString todayShortDate() override;

    QString currentDirectory() override;
    QString userDataFolder() override;
    bool makePrivateFolder(const QString& path) override;
    bool isOwnFile(const QString& path) override;
    bool fileExists(const QString& path) override;
    QByteArray readWholeFile(const QString& path) override;
    void writeWholeFile(const QString& path, const QByteArray& bytes) override;
    void writeOwnFile(const QString& path, const QByteArray& bytes) override;
    void writePrivateFile(const QString& path, const QByteArray& bytes) override;
    QByteArray readOwnFile(const QString& path) override;

    QString clipboardText() override;
    void setClipboardText(const QString& text) override;

    bool askPrintSetup(QWidget* parent) override;
    PageChoice chosenPages() override { return chosenPages_; }
    PrintJob& printJob() override;
    const QPrinter& currentPrinter() override;

private:
    // The current printer, made on first use (asking the print system takes
    // time) and kept with its settings for the rest of the run.
    QtPrintJob& currentJob();

    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QtPrintJob> job_;
    PageChoice chosenPages_;
};

// The caption of message boxes: the program file's name without folder, cut
// at its first ".", the first letter unchanged and all others in lower case.
QString applicationTitle(const QString& programFilePath);
QString applicationTitle();

// The text of the default error report: a full stop is added when the
// message's last character has a code above that of ".".
QString errorReportText(const QString& message);

// The file name as messages show it.
QString displayPath(const QString& path);

// A shown window of the program that stays on top (the phrase editor, or the
// main window with "TOP"), other than `except`; none when there is none. A
// message must open over it, or it opens behind it, unseen, and holds the
// whole program.
QWidget* shownWindowKeptOnTop(const QWidget* except = nullptr);

}  // namespace korvex
