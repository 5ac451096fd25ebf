#include "support/mainwindowfixture.h"
#include "support/waiting.h"

#include <QApplication>
#include <QFile>
#include <QTest>

#include "app/uKorvex21.h"

namespace korvex::testing {

void MainWindowTest::SetUp() {
    ASSERT_TRUE(workingDir.isValid());
    platform.workingDirectory = workingDir.path();
    platform.userDataDirectory = userDataDir.filePath(QStringLiteral("korvex"));
    startProgram();
}

void MainWindowTest::TearDown() {
    EXPECT_EQ(answers.unanswered(), 0) << "a queued answer found no question";
    if (windows.Form1) windows.Form1->hide();
    windows = WindowSet{};
}

void MainWindowTest::startProgram() {
    windows = WindowSet{};
    windows = createWindowSet(platform);
    windows.Form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(windows.Form1.get(), kPatienceMs));
    windows.Form1->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(windows.Form1.get(), kPatienceMs));
    QApplication::processEvents();
}

QString MainWindowTest::pathInWorkingDir(const QString& name) const { return workingDir.filePath(name); }

QByteArray MainWindowTest::readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

void MainWindowTest::writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void MainWindowTest::click(QWidget* control) {
    QTest::mouseClick(control, Qt::LeftButton);
    QApplication::processEvents();
}

void MainWindowTest::type(const QString& text) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClicks(target, text);
}

}  // namespace korvex::testing
