#pragma once

#include <QStringList>
#include <deque>
#include <optional>

#include "platform/qtplatform.h"

namespace korvex::testing {

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

    // Answers; an empty optional means "cancelled". An unqueued dialog is cancelled.
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<FontChoice>> fontAnswers;

    // What was asked and shown.
    QStringList openDialogFolders;
    QStringList saveDialogFolders;
    std::optional<FontChoice> lastFontPreset;
    QStringList messages;
    QStringList errorReports;

    uint32_t tick = 0;
    QString today = QStringLiteral("07.12.2026");
    QString workingDirectory;

    int dialogCount() const;
};

}  // namespace korvex::testing
