#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "app/windowset.h"
#include "display/textwindow.h"
#include "support/fakeplatform.h"
#include "support/questionanswerer.h"

namespace korvex::testing {

// The whole window set on the fake platform, started in a fresh working
// directory and shown, as a user finds it after start-up.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the window set (again), reading what the working directory holds.
    void startProgram();

    TForm1& form() { return *windows.Form1; }
    TextWindow& memo() { return *windows.Form1->MemArbeitsfenster; }
    QString pathInWorkingDir(const QString& name) const;
    static QByteArray readFile(const QString& path);
    static void writeFile(const QString& path, const QByteArray& bytes);
    // Clicks a control with the mouse and lets the command finish.
    static void click(QWidget* control);
    // Types text into the focused widget as key presses.
    void type(const QString& text);

    QTemporaryDir workingDir;
    QTemporaryDir userDataDir;  // the user's own data folder, for recovery copies
    FakePlatform platform;
    WindowSet windows;
    // Answers the confirmation dialog; a queued reply that found no question fails the test.
    QuestionAnswerer answers{[this] { return windows.KxMsgDlg; }};
};

}  // namespace korvex::testing
