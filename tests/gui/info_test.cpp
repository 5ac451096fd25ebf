// The info window: its look, the text a user reads and how it may be sized.
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QWindow>

#include "app/uKorvex21.h"
#include "dialogs/uInfo.h"
#include "display/screencolours.h"
#include "support/mainwindowfixture.h"
#include "support/waiting.h"
#include "widgets/controls.h"

namespace korvex::testing {
namespace {

class InfoTest : public MainWindowTest {
protected:
    TForm2& info() { return *windows.Form2; }
    QStringList lines() { return info().MemInfo->toPlainText().split(QLatin1Char('\n')); }
};

TEST_F(InfoTest, LooksAsDescribed) {
    EXPECT_EQ(info().windowTitle(), "Korvex V2.3 // Info und Gebrauchshinweise");
    EXPECT_TRUE(info().windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(info().width(), 452);
    EXPECT_EQ(info().height(), 523);
    EXPECT_TRUE(info().MemInfo->isReadOnly());
    EXPECT_EQ(info().MemInfo->palette().color(QPalette::Base), toQColor(colours::Cream));
    EXPECT_EQ(info().MemInfo->font().family(), "Courier New");
    EXPECT_EQ(info().MemInfo->font().pixelSize(), 15);
    EXPECT_EQ(info().ButInfoOK->text(), "OK");
    EXPECT_EQ(info().ButInfoOK->geometry(), QRect(192, 8, 65, 25));
}

TEST_F(InfoTest, WidthIsFixedHeightIsNot) {
    info().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&info(), kPatienceMs));
    // A window manager confirms each size a moment later, the older ones too.
    info().resize(700, 640);
    ASSERT_TRUE(becomes([this] { return info().height(); }, 640));
    EXPECT_EQ(info().width(), 452);
    info().resize(300, 400);
    ASSERT_TRUE(becomes([this] { return info().height(); }, 400));
    EXPECT_EQ(info().width(), 452);
    // The text window takes the height; the button panel stays at the bottom.
    EXPECT_EQ(info().MemInfo->height(), 400 - 41);
    info().hide();
}

TEST_F(InfoTest, RegressionWidthChangedWhereNoWindowManagerHeldTheSizeHints) {
    info().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&info(), kPatienceMs));
    // As the display server resizes a window when nothing enforces its hints.
    info().windowHandle()->resize(700, 640);
    ASSERT_TRUE(becomes([this] { return info().height(); }, 640));
    EXPECT_EQ(info().width(), 452);
    EXPECT_EQ(info().windowHandle()->width(), 452);
    info().hide();
}

TEST_F(InfoTest, RegressionTextWasHardWrappedWiderThanTheWindow) {
    info().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&info(), kPatienceMs));
    QTextDocument& text = *info().MemInfo->document();
    int flowing = 0;
    for (QTextBlock line = text.begin(); line.isValid(); line = line.next()) {
        text.documentLayout()->blockBoundingRect(line);  // lays the line out at the window's width
        ASSERT_NE(line.layout(), nullptr);
        if (line.layout()->lineCount() <= 1) continue;
        // Only a paragraph written as one line may flow over several: it ends a sentence.
        const QString shown = line.text().trimmed();
        EXPECT_TRUE(QStringLiteral(".:;!?").contains(shown.back())) << shown.toStdString();
        ++flowing;
    }
    EXPECT_GT(flowing, 5);  // the paragraphs do flow: the window wraps them
    info().hide();
}

TEST_F(InfoTest, TextHoldsTheUsageNotes) {
    const QStringList text = lines();
    const QString separator(42, QLatin1Char('x'));
    const qsizetype heading = text.indexOf("Funktion und Bedienung:");
    ASSERT_GE(heading, 0);
    EXPECT_EQ(text.value(heading + 1), QString(23, QLatin1Char('=')));
    EXPECT_TRUE(text.contains("X, C, E = Ausschneiden, Kopieren, Einfügen"));
    EXPECT_TRUE(text.contains("8, 9, 10, 11, 12, 13, 14, 16, 18, 20"));
    // Nine sections, separated by a line of x, and three closing lines.
    EXPECT_EQ(text.count(separator), 8 + 3);
    QStringList ending = text;
    while (!ending.isEmpty() && ending.last().isEmpty()) ending.removeLast();
    ASSERT_GE(ending.size(), 4);
    EXPECT_EQ(ending.mid(ending.size() - 3), QStringList({separator, separator, separator}));
    EXPECT_NE(ending[ending.size() - 4], separator);
    const QString all = info().MemInfo->toPlainText();
    for (const char* topic : {"Top", "Dat", "Phr", "Druck", "Repl und RAll", "Go, Stp und Rst"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(topic))) << topic;
    EXPECT_TRUE(all.contains("OCR A Extended"));
    EXPECT_TRUE(all.contains("600 Sekunden"));
}

TEST_F(InfoTest, TheInfoMenuItemShowsItCentredWithTheFocusOnOk) {
    QWidget* focusDuring = nullptr;
    QPoint centreDuring;
    bool readOnlyAfterTyping = false;
    QString textBefore = info().MemInfo->toPlainText();
    QTimer::singleShot(0, &info(), [&] {
        // A window manager frames and activates the window first. Qt learns
        // the frame only some time later, if at all; the window manager gives
        // it the main window's decorations then.
        EXPECT_TRUE(QTest::qWaitForWindowActive(&info(), kPatienceMs));
        const bool framed = QTest::qWaitFor([&] { return knownFrame(info()).has_value(); }, 2000);
        const QMargins mainFrame = knownFrame(form()).value_or(QMargins());
        focusDuring = info().focusWidget();
        centreDuring = framed ? info().frameGeometry().center() : info().geometry().marginsAdded(mainFrame).center();
        QTest::keyClicks(info().MemInfo, "abc");
        readOnlyAfterTyping = info().MemInfo->toPlainText() == textBefore;
        QTest::mouseClick(info().ButInfoOK, Qt::LeftButton);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &info(), [&] { info().reject(); });
    watchdog.start(kPatienceMs);
    form().Info1->trigger();
    EXPECT_EQ(info().result(), QDialog::Accepted);  // closed by OK, not by the watchdog
    EXPECT_FALSE(info().isVisible());
    EXPECT_EQ(focusDuring, info().ButInfoOK);
    EXPECT_TRUE(readOnlyAfterTyping);
    const QPoint mainCentre = form().frameGeometry().center();
    EXPECT_LE((centreDuring - mainCentre).manhattanLength(), 4)
        << "info at " << centreDuring.x() << "," << centreDuring.y() << ", main at " << mainCentre.x() << ","
        << mainCentre.y();
}

}  // namespace
}  // namespace korvex::testing
