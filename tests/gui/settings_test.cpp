// The settings file of the working directory: what start-up applies from it,
// what a damaged file keeps, and what closing writes.

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "app/uKorvex21.h"
#include "dialogs/uKxMsgDlg.h"
#include "display/documenttext.h"
#include "document/headerfield.h"
#include "settings/settingsfile.h"
#include "support/mainwindowfixture.h"
#include "widgets/controls.h"

namespace korvex::testing {
namespace {

const QString kDamaged = QString::fromUtf8(kDamagedSettingsMessage);

class SettingsFileTest : public MainWindowTest {
protected:
    QString settingsPath() const { return pathInWorkingDir(QStringLiteral("Korvex23Ini.txt")); }

    // A file of the given lines, each ended by CR LF.
    void writeSettings(const QStringList& lines) {
        QByteArray bytes;
        for (const QString& line : lines) bytes += QByteArray::fromStdString(toCp1252(line)) + "\r\n";
        writeFile(settingsPath(), bytes);
    }

    // The fourteen lines of a complete file, before the end marker.
    static QStringList lines(const QString& top, const QString& left, const QString& height, const QString& width,
                             const QString& colour, const QString& font, const QString& size, const QString& style,
                             const QString& fontColour, const QString& openDir = QString(),
                             const QString& saveDir = QString()) {
        return {QStringLiteral("Korvex-V2.3 INI:"),
                QStringLiteral(">> Top, Left, Height, Width:"),
                top,
                left,
                height,
                width,
                QStringLiteral(">> Color, Font, FontSize, FettKursiv, FontColor:"),
                colour,
                font,
                size,
                style,
                fontColour,
                openDir,
                saveDir};
    }
    static QStringList sample() {
        return lines("100", "120", "500", "600", "clYellow", "Arial", "12", "bold------", "clRed",
                     QStringLiteral("C:\\Texte"), QStringLiteral("C:\\Ablage"));
    }

    QStringList writtenLines() { return QString::fromLatin1(readFile(settingsPath())).split(QStringLiteral("\r\n")); }
    void closeProgram() {
        form().close();
        QApplication::processEvents();
    }
    int pixelsFor(int points) {
        return qRound(points * QGuiApplication::primaryScreen()->logicalDotsPerInchY() / 72.0);
    }
};

TEST_F(SettingsFileTest, WithoutFileTheBuiltInSettingsHoldAndNothingIsReported) {
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_EQ(form().frameGeometry().topLeft(), QPoint(214, 71));
    EXPECT_EQ(memo().colours().background, colours::MoneyGreen);
    EXPECT_EQ(form().windowColour(), colours::MoneyGreen);
    EXPECT_EQ(form().ColorBox1->currentText(), "clMoneyGreen");
    EXPECT_EQ(memo().font().family(), "Courier New");
    EXPECT_EQ(memo().font().pixelSize(), 13);
    EXPECT_FALSE(memo().font().bold());
}

TEST_F(SettingsFileTest, FirstCloseWritesTheFifteenLinesOfTheCurrentSettings) {
    ASSERT_FALSE(QFile::exists(settingsPath()));
    closeProgram();
    EXPECT_FALSE(form().isVisible());
    const QRect outer = form().frameGeometry();
    const QByteArray bytes = readFile(settingsPath());
    ASSERT_TRUE(bytes.endsWith("EndOfFile\r\n"));
    const QStringList expected = {QStringLiteral("Korvex-V2.3 INI:"),
                                  QStringLiteral(">> Top, Left, Height, Width:"),
                                  QString::number(outer.top()),
                                  QString::number(outer.left()),
                                  QString::number(outer.height()),
                                  QString::number(outer.width()),
                                  QStringLiteral(">> Color, Font, FontSize, FettKursiv, FontColor:"),
                                  QStringLiteral("clMoneyGreen"),
                                  QStringLiteral("Courier New"),
                                  QStringLiteral("10"),
                                  QStringLiteral("----------"),
                                  QStringLiteral("clWindowText"),
                                  QString(),
                                  QString(),
                                  QStringLiteral("EndOfFile"),
                                  QString()};
    EXPECT_EQ(writtenLines(), expected);
    EXPECT_EQ(outer.topLeft(), QPoint(214, 71));
}

TEST_F(SettingsFileTest, CompleteFileIsAppliedAndWrittenBackByteForByte) {
    writeSettings(sample() << QStringLiteral("EndOfFile"));
    const QByteArray original = readFile(settingsPath());
    startProgram();
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_EQ(form().frameGeometry(), QRect(120, 100, 600, 500));
    EXPECT_EQ(memo().colours().background, colours::Yellow);
    EXPECT_EQ(form().windowColour(), colours::Yellow);
    EXPECT_EQ(form().ColorBox1->currentText(), "clYellow");
    EXPECT_EQ(memo().font().family(), "Arial");
    EXPECT_EQ(memo().font().pixelSize(), pixelsFor(12));
    EXPECT_TRUE(memo().font().bold());
    EXPECT_FALSE(memo().font().italic());
    EXPECT_EQ(memo().colours().text, textToColour("clRed"));
    EXPECT_EQ(form().files().openDir, "C:\\Texte");
    EXPECT_EQ(form().files().saveDir, "C:\\Ablage");
    // The header field follows the text window's font and colours.
    EXPECT_EQ(form().EdiKopfzeile->font().family(), "Arial");
    EXPECT_EQ(form().EdiKopfzeile->font().pixelSize(), pixelsFor(12));
    EXPECT_TRUE(form().EdiKopfzeile->font().bold());
    EXPECT_EQ(form().EdiKopfzeile->colours().text, textToColour("clRed"));
    EXPECT_EQ(form().EdiKopfzeile->colours().background, colours::Yellow);

    closeProgram();
    EXPECT_EQ(readFile(settingsPath()), original);
}

TEST_F(SettingsFileTest, TenPointsAreThirteenPixelsAtNinetySixDots) {
    if (QGuiApplication::primaryScreen()->logicalDotsPerInchY() != 96) GTEST_SKIP() << "screen not at 96 dpi";
    writeSettings(lines("100", "120", "500", "600", "clYellow", "Arial", "10", "----------", "clBlack")
                  << QStringLiteral("EndOfFile"));
    startProgram();
    EXPECT_EQ(memo().font().pixelSize(), 13);
}

TEST_F(SettingsFileTest, OutcomeFollowsHowManyLinesTheFileHolds) {
    const QStringList full = sample();
    // No line, or only the heading: nothing applied, reported.
    for (int count : {0, 2}) {
        SCOPED_TRACE(count);
        platform.messages.clear();
        writeSettings(full.mid(0, count));
        startProgram();
        EXPECT_EQ(platform.messages, QStringList{kDamaged});
        EXPECT_EQ(form().frameGeometry().topLeft(), QPoint(214, 71));
        EXPECT_EQ(memo().colours().background, colours::MoneyGreen);
        EXPECT_EQ(memo().font().family(), "Courier New");
    }
    // Window and font complete, folders missing: all but folders applied, reported.
    platform.messages.clear();
    writeSettings(full.mid(0, 12));
    startProgram();
    EXPECT_EQ(platform.messages, QStringList{kDamaged});
    EXPECT_EQ(form().frameGeometry(), QRect(120, 100, 600, 500));
    EXPECT_EQ(memo().colours().background, colours::Yellow);
    EXPECT_EQ(memo().font().family(), "Arial");
    EXPECT_TRUE(form().files().openDir.isEmpty());
    // The header field takes the font only from a complete file.
    EXPECT_EQ(form().EdiKopfzeile->font().family(), "Courier New");

    // The end marker in place of the folders: complete, folders never written.
    platform.messages.clear();
    writeSettings(full.mid(0, 12) << QStringLiteral("EndOfFile"));
    startProgram();
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_TRUE(form().files().openDir.isEmpty());
    EXPECT_EQ(form().EdiKopfzeile->font().family(), "Arial");

    // Open folder without save folder: the open folder is kept, reported.
    platform.messages.clear();
    writeSettings(full.mid(0, 13));
    startProgram();
    EXPECT_EQ(platform.messages, QStringList{kDamaged});
    EXPECT_EQ(form().files().openDir, "C:\\Texte");
    EXPECT_TRUE(form().files().saveDir.isEmpty());

    // Fourteen lines without end marker: complete.
    platform.messages.clear();
    writeSettings(full);
    startProgram();
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_EQ(form().files().saveDir, "C:\\Ablage");
}

TEST_F(SettingsFileTest, ValuesInOtherFormsAreReadAndUnknownColoursKept) {
    writeSettings(lines("100", "120", "$200", "600", "$00123456", "Arial", "12", "----italic", "clBlack")
                  << QStringLiteral("EndOfFile"));
    startProgram();
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_EQ(form().frameGeometry().height(), 512);
    EXPECT_EQ(memo().colours().background, Colour(0x00123456));
    EXPECT_EQ(form().ColorBox1->currentIndex(), -1);
    EXPECT_TRUE(memo().font().italic());
    EXPECT_FALSE(memo().font().bold());
    closeProgram();
    const QStringList written = writtenLines();
    ASSERT_GE(written.size(), 8);
    EXPECT_EQ(written[4], "512");
    EXPECT_EQ(written[7], "$00123456");
    EXPECT_EQ(written[10], "----italic");
}

TEST_F(SettingsFileTest, RegressionNoneOrDefaultAsWindowColourHidTheText) {
    const QPalette system = QApplication::palette();
    for (const char* colour : {"clNone", "clDefault"}) {
        for (const char* fontColour : {"clWindowText", "clNone", "clDefault"}) {
            SCOPED_TRACE(std::string(colour) + " " + fontColour);
            writeSettings(lines("100", "120", "500", "600", colour, "Arial", "12", "----------", fontColour)
                          << QStringLiteral("EndOfFile"));
            startProgram();
            // The control's own colours, as without any colour of the file.
            for (QWidget* field : {static_cast<QWidget*>(&memo()), static_cast<QWidget*>(form().EdiKopfzeile)}) {
                EXPECT_EQ(field->palette().color(QPalette::Base), system.color(QPalette::Base));
                EXPECT_EQ(field->palette().color(QPalette::Text), system.color(QPalette::Text));
                EXPECT_NE(field->palette().color(QPalette::Base), field->palette().color(QPalette::Text));
            }
            closeProgram();
            EXPECT_EQ(writtenLines().value(7), colour);
            EXPECT_EQ(writtenLines().value(11), fontColour);
        }
    }
}

TEST_F(SettingsFileTest, BadColourStopsReadingAfterTheGeometry) {
    writeSettings(lines("100", "120", "500", "600", "green", "Arial", "12", "bold------", "clRed")
                  << QStringLiteral("EndOfFile"));
    startProgram();
    EXPECT_EQ(platform.messages, QStringList{kDamaged});
    EXPECT_EQ(form().frameGeometry(), QRect(120, 100, 600, 500));
    EXPECT_EQ(memo().colours().background, colours::MoneyGreen);
    EXPECT_EQ(form().windowColour(), colours::MoneyGreen);
    EXPECT_EQ(memo().font().family(), "Courier New");
}

TEST_F(SettingsFileTest, StyleSetsBoldAndItalicOnlyAndUnderlineIsNotStored) {
    writeSettings(sample() << QStringLiteral("EndOfFile"));
    startProgram();
    EXPECT_TRUE(memo().font().bold());

    QFont underlined = memo().font();
    underlined.setUnderline(true);
    underlined.setStrikeOut(true);
    memo().setFont(underlined);
    closeProgram();
    startProgram();
    EXPECT_TRUE(memo().font().bold());
    EXPECT_FALSE(memo().font().underline());
    EXPECT_FALSE(memo().font().strikeOut());
}

TEST_F(SettingsFileTest, WindowColourIsStoredNotTheTextWindowsCurrentColour) {
    memo().setColours({colours::Yellow, memo().colours().text});  // as during a typing test
    closeProgram();
    EXPECT_EQ(writtenLines().value(7), "clMoneyGreen");
}

TEST_F(SettingsFileTest, RegressionUnwritableFileKeptTheUserInForEver) {
    // Started in a folder that is gone by the close.
    platform.workingDirectory = pathInWorkingDir(QStringLiteral("fehlt"));
    startProgram();
    const QString document = pathInWorkingDir(QStringLiteral("brief.txt"));
    memo().setFocus();
    QTest::keyClicks(&memo(), "Erster Satz.");
    // The save question comes first on every close, and is answered "Ja".
    platform.saveAnswers = {document};
    answers.answerNext(Reply::Ja);
    form().close();
    QApplication::processEvents();
    ASSERT_EQ(platform.errorReports.size(), 1);
    EXPECT_TRUE(platform.errorReports[0].startsWith(
        QStringLiteral("Datei %1 kann nicht erstellt werden.\n").arg(form().settingsFilePath())));
    EXPECT_TRUE(platform.errorReports[0].contains("ohne die Einstellungen zu speichern"));
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(readFile(document), "Erster Satz.");

    QTest::keyClicks(&memo(), " Zweiter.");
    answers.answerNext(Reply::Ja);
    form().close();
    QApplication::processEvents();
    EXPECT_FALSE(form().isVisible());
    EXPECT_EQ(platform.errorReports.size(), 1);
    EXPECT_EQ(readFile(document), "Erster Satz. Zweiter.");
    EXPECT_FALSE(QFile::exists(form().settingsFilePath()));
}

TEST_F(SettingsFileTest, RegressionGeometryFromTheFilePushedTheWindowAwayOrAteMemory) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QString wider = QString::number(area.width() + 300);
    const QString higher = QString::number(area.height() + 300);
    struct Row {
        QString top, left, height, width;
        QSize size;  // empty: as large as the screen's free area
    };
    const Row rows[] = {{"-5000", "-5000", "300", "600", {600, 300}},
                        {"9000", "9000", higher, wider, {}},
                        {"2147483000", "2147483000", "300", "600", {600, 300}},
                        {"-2147483648", "2147483647", "300", "600", {600, 300}},
                        {"0", "0", "20000", "20000", {}},
                        {"2147483647", "2147483647", "2147483647", "2147483647", {}}};
    for (const Row& row : rows) {
        SCOPED_TRACE((row.top + " " + row.left + " " + row.height + " " + row.width).toStdString());
        writeSettings(lines(row.top, row.left, row.height, row.width, "clYellow", "Arial", "12", "bold------", "clRed")
                      << QStringLiteral("EndOfFile"));
        startProgram();
        EXPECT_TRUE(platform.messages.isEmpty());
        const QRect outer = form().frameGeometry();
        EXPECT_TRUE(area.contains(outer))
            << outer.x() << "," << outer.y() << " " << outer.width() << "x" << outer.height();
        EXPECT_EQ(outer.size(), row.size.isEmpty() ? area.size() : row.size);
        EXPECT_EQ(memo().colours().background, colours::Yellow);
    }
}

TEST_F(SettingsFileTest, RegressionASizeBelowTheWindowsMinimumWasStored) {
    // As a window system may report a window it has not yet sized.
    form().windowHandle()->resize(1, 1);
    QApplication::processEvents();
    closeProgram();
    const QSize minimum = form().minimumSizeHint();
    EXPECT_GE(writtenLines().value(4).toInt(), minimum.height());
    EXPECT_GE(writtenLines().value(5).toInt(), minimum.width());

    // Read back, such a size gives the smallest window, which is stored as it is.
    writeSettings(lines("100", "120", "1", "1", "clYellow", "Arial", "12", "bold------", "clRed")
                  << QStringLiteral("EndOfFile"));
    startProgram();
    const QSize smallest = form().frameGeometry().size();
    EXPECT_EQ(smallest, form().minimumOuterSize());
    closeProgram();
    EXPECT_EQ(writtenLines().value(4), QString::number(smallest.height()));
    EXPECT_EQ(writtenLines().value(5), QString::number(smallest.width()));
}

// A height or width of 0, 1 or the smallest integer gave a sliver of the
// window in which "EX" and most tools could not be seen.
TEST_F(SettingsFileTest, RegressionTooSmallSizeFromTheFileHidTheTools) {
    for (const char* size : {"0", "1", "-2147483648"}) {
        SCOPED_TRACE(size);
        writeSettings(lines("100", "120", size, size, "clYellow", "Arial", "12", "bold------", "clRed")
                      << QStringLiteral("EndOfFile"));
        startProgram();
        for (const QWidget* tool : form().PanOben->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QRect onWindow(tool->mapTo(&form(), QPoint(0, 0)), tool->size());
            EXPECT_TRUE(form().rect().contains(onWindow)) << tool->objectName().toStdString();
        }
        EXPECT_GT(memo().viewport()->height(), 0);
    }
}

TEST_F(SettingsFileTest, FontSizesThePlatformCannotShowAreIgnored) {
    for (const char* size : {"0", "-3", "1001"}) {
        SCOPED_TRACE(size);
        writeSettings(lines("100", "120", "500", "600", "clYellow", "Arial", size, "bold------", "clRed")
                      << QStringLiteral("EndOfFile"));
        startProgram();
        EXPECT_TRUE(platform.messages.isEmpty());
        EXPECT_EQ(memo().font().pixelSize(), 13);
        EXPECT_EQ(memo().font().family(), "Arial");
        EXPECT_TRUE(memo().font().bold());
    }
    writeSettings(lines("100", "120", "500", "600", "clYellow", "Arial", "1000", "bold------", "clRed")
                  << QStringLiteral("EndOfFile"));
    startProgram();
    EXPECT_EQ(memo().font().pixelSize(), pixelsFor(1000));
}

}  // namespace
}  // namespace korvex::testing
