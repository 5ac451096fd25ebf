#pragma once

#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "platform/qtplatform.h"

namespace korvex::testing {

// Records print jobs instead of printing; a job can be made to fail.
class RecordingPrintJob : public PrintJob {
public:
    struct Job {
        QFont font;
        QColor colour;
        QStringList lines;
        bool ended = false;
    };

    void BeginJob() override;
    void SetJobFont(const QFont& font, const QColor& colour) override;
    void WriteLine(const QString& text) override;
    void EndJob() override;
    void AbandonJob() override;
    void EndRun() override { ++runsEnded; }

    std::vector<Job> jobs;  // every job begun, in order
    int runsEnded = 0;
    std::function<void()> onBeginJob;  // runs as each job begins
    int failingBeginJob = -1;          // this BeginJob (counted from 0) finds no printer
    bool open = false;
    int abandoned = 0;

private:
    int begun_ = 0;
};

// The real platform for files and clipboard, with scripted dialogs, message
// boxes, clock and date: answers are queued before a command runs, and every
// question is recorded.
class FakePlatform : public QtPlatform {
public:
    std::optional<QString> askOpenFileName(QWidget* parent, const QString& initialDir) override;
    std::optional<QString> askSaveFileName(QWidget* parent, const QString& initialDir) override;
    std::optional<FontChoice> askFont(QWidget* parent, const FontChoice& initial) override;
    void showMessage(const QString& text) override;
    void showErrorReport(const QString& message) override;
    uint32_t tickMs() override { return tick; }
    QString todayShortDate() override { return today; }
    QString currentDirectory() override { return workingDirectory; }
    QString userDataFolder() override { return userDataDirectory; }
    bool askPrintSetup(QWidget* parent) override;
    PageChoice chosenPages() override { return pageChoice; }
    PrintJob& printJob() override;

    // Answers; an empty optional means "cancelled". An unqueued dialog is cancelled.
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<FontChoice>> fontAnswers;
    std::deque<bool> printSetupAnswers;  // true: OK
    PageChoice pageChoice;               // what the confirmed print dialog chose
    bool noDefaultPrinter = false;
    // The real job on the system's current printer instead of the recording one.
    bool realPrintJob = false;
    RecordingPrintJob printed;

    // What was asked and shown.
    QStringList openDialogFolders;
    QStringList saveDialogFolders;
    std::optional<FontChoice> lastFontPreset;
    QStringList messages;
    QStringList errorReports;
    int printSetups = 0;

    uint32_t tick = 0;
    QString today = QStringLiteral("07.12.2026");
    QString workingDirectory;
    QString userDataDirectory;  // none unless a test gives one

    int dialogCount() const;
};

}  // namespace korvex::testing
