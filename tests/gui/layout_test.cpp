// The main window as a person sees it: every control in its place, hints,
// fonts, colours, the menu and the Tab order.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/uKorvex21.h"
#include "document/headerfield.h"
#include "support/mainwindowfixture.h"
#include "support/waiting.h"
#include "widgets/controls.h"

namespace korvex::testing {
namespace {

struct Placement {
    const char* name;
    const char* panel;
    QRect geometry;
    const char* caption;  // nullptr: not checked
    const char* family;
    int pixelSize;
    bool bold;
    const char* hint;
};

const Placement kPlacements[] = {
    {"SpButFonts", "PanOben", {0, 0, 41, 25}, nullptr, nullptr, 0, false, "Schrift einstellen"},
    {"SpButDrucken", "PanOben", {40, 0, 41, 25}, nullptr, nullptr, 0, false, "Dokument drucken / Drucker einstellen"},
    {"PanTop", "PanOben", {80, 0, 49, 25}, "TOP", "Arial", 13, true, "Korvex bleibt immer im Vordergrund"},
    {"EdiDatum", "PanOben", {136, 0, 121, 26}, nullptr, "Courier New", 16, true, "Datum aktualisieren durch Klick"},
    {"ButDatum", "PanOben", {264, 0, 49, 25}, "Dat", "Arial", 13, true, "Datum einfügen"},
    {"ButReplace",
     "PanOben",
     {320, 0, 41, 25},
     "Repl",
     "Arial",
     13,
     true,
     "Ersetzt Umlaute etc. für HTML, ohne < und >"},
    {"ButStart", "PanOben", {368, 0, 41, 25}, "GO", "Arial", 13, true, "Stoppuhr starten"},
    {"ButStop", "PanOben", {408, 0, 49, 25}, "STP", "Arial", 13, true, "Stoppuhr anhalten"},
    {"ButReset", "PanOben", {456, 0, 41, 25}, "RST", "Arial", 13, true, "Stoppuhr zurücksetzen"},
    {"BitButClose", "PanOben", {504, 0, 49, 57}, "EX", "Arial", 24, true, "Korvex beenden"},
    {"SpButSchliessen", "PanOben", {0, 24, 33, 33}, nullptr, nullptr, 0, false, "Dokument schließen / Neues Dokument"},
    {"SpButOeffnen", "PanOben", {32, 24, 33, 33}, nullptr, nullptr, 0, false, "Vorhandene Datei öffnen"},
    {"SpButSpeichern", "PanOben", {64, 24, 33, 33}, nullptr, nullptr, 0, false, "Dokument Speichern"},
    {"SpButSpUnter", "PanOben", {96, 24, 33, 33}, nullptr, nullptr, 0, false, "Dokument Speichern unter ..."},
    {"Label4", "PanOben", {144, 24, 102, 16}, "Zwischenablage:", "MS Sans Serif", 13, false, nullptr},
    {"ButX", "PanOben", {136, 40, 41, 17}, "X", "Arial", 13, true, "Ausschneiden"},
    {"ButC", "PanOben", {176, 40, 41, 17}, "C", "Arial", 13, true, "Kopieren"},
    {"ButE", "PanOben", {216, 40, 41, 17}, "E", "Arial", 13, true, "Einfügen"},
    {"ButPhrasen", "PanOben", {264, 32, 49, 25}, "Phr", "Arial", 13, true, "Phrase auswählen und einfügen"},
    {"ButReplaceAll",
     "PanOben",
     {320, 32, 41, 25},
     "RAll",
     "Arial",
     13,
     true,
     "Ersetzt Umlaute etc. für HTML, inklusive < und >"},
    {"EdiTime",
     "PanOben",
     {368, 24, 129, 25},
     nullptr,
     "Courier New",
     15,
     true,
     "Stoppzeit in Sekunden hier eintragen, sonst Stoppzeit = 600 Sek."},
    {"LabShowDatName", "PanAnzeige", {8, 1, 545, 16}, nullptr, "Arial", 12, false, nullptr},
    {"LabZeilenAnz", "PanAnzeige", {8, 16, 37, 15}, "Zeilen:", "Arial", 12, true, nullptr},
    {"Label1", "PanAnzeige", {96, 16, 69, 15}, "CursorZeile:", "Arial", 12, true, nullptr},
    {"Label2", "PanAnzeige", {216, 16, 78, 15}, "CursorSpalte:", "Arial", 12, true, nullptr},
    {"Label3", "PanAnzeige", {344, 16, 76, 15}, "Fensterfarbe:", "Arial", 12, true, nullptr},
    {"ColorBox1", "PanAnzeige", {424, 16, 129, 22}, nullptr, "Arial", 12, true, "Fensterfarbe einstellen"},
    {"EdiKopfzeile",
     "PanAnzeige",
     {8, 40, 625, 28},
     nullptr,
     "Courier New",
     15,
     false,
     "Hier ggfs. Kopfzeile eintragen"},
    {"Panel1", "PanAnzeige", {646, 4, 5, 17}, nullptr, nullptr, 0, false, "Markierung Normal-/Sollgröße beim Drucken"},
};

class LayoutTest : public MainWindowTest {
protected:
    QWidget* control(const char* name) { return form().findChild<QWidget*>(QString::fromLatin1(name)); }
    void expectPlacementsUnchanged() {
        for (const Placement& p : kPlacements) {
            QWidget* w = control(p.name);
            ASSERT_NE(w, nullptr) << p.name;
            EXPECT_EQ(w->geometry(), p.geometry) << p.name;
        }
    }
};

TEST_F(LayoutTest, WindowCaptionAndInitialGeometry) {
    EXPECT_EQ(form().windowTitle(), "Korvex Version 2.3");
    EXPECT_EQ(form().pos(), QPoint(214, 71));
    EXPECT_EQ(form().centralWidget()->size(), QSize(652, 606));
    EXPECT_EQ(form().PanOben->height(), 57);
    EXPECT_EQ(form().PanAnzeige->height(), 72);
    EXPECT_EQ(form().PanMitte->height(), 477);
    EXPECT_EQ(form().MemArbeitsfenster->geometry(), QRect(1, 1, 650, 475));
}

TEST_F(LayoutTest, EveryControlSitsWhereItBelongsWithItsCaptionFontAndHint) {
    for (const Placement& p : kPlacements) {
        SCOPED_TRACE(p.name);
        QWidget* w = control(p.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(p.panel));
        EXPECT_EQ(w->geometry(), p.geometry);
        EXPECT_EQ(w->toolTip(), p.hint ? QString::fromUtf8(p.hint) : QString());
        if (p.caption) {
            const QString caption = qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text()
                                                             : qobject_cast<QAbstractButton*>(w)->text();
            EXPECT_EQ(caption, QString::fromUtf8(p.caption));
        }
        if (p.family) {
            EXPECT_EQ(w->font().family(), QString::fromLatin1(p.family));
            EXPECT_EQ(w->font().pixelSize(), p.pixelSize);
            EXPECT_EQ(w->font().bold(), p.bold);
        }
    }
}

TEST_F(LayoutTest, NoOtherControlShowsAHint) {
    int withHint = 0;
    for (QWidget* w : form().findChildren<QWidget*>()) withHint += w->toolTip().isEmpty() ? 0 : 1;
    int listed = 0;
    for (const Placement& p : kPlacements) listed += p.hint ? 1 : 0;
    EXPECT_EQ(withHint, listed);
}

TEST_F(LayoutTest, ColoursOfPanelsFieldsAndLabels) {
    EXPECT_EQ(form().PanAnzeige->palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(form().EdiKopfzeile->palette().color(QPalette::Base), QColor(192, 220, 192));
    EXPECT_EQ(form().EdiTime->palette().color(QPalette::Base), QColor(192, 220, 192));
    EXPECT_EQ(form().MemArbeitsfenster->palette().color(QPalette::Base), QColor(192, 220, 192));
    EXPECT_EQ(form().LabShowZeilenAnz->palette().color(QPalette::Window), QColor(166, 202, 240));
    EXPECT_EQ(form().LabShowDatName->palette().color(QPalette::Window), QColor(192, 220, 192));
    EXPECT_EQ(form().Panel1->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(form().LabShowDatName->alignment() & Qt::AlignRight, Qt::AlignRight);
}

TEST_F(LayoutTest, ColourPickerListsTheNamedColoursWithoutNoneAndDefault) {
    QComboBox& box = *form().ColorBox1;
    ASSERT_EQ(box.count(), 47);
    EXPECT_EQ(box.itemText(0), "clBlack");
    EXPECT_EQ(box.itemText(16), "clMoneyGreen");
    EXPECT_EQ(box.itemText(46), "clWindowText");
    EXPECT_EQ(box.findText(QStringLiteral("clNone")), -1);
    EXPECT_EQ(box.findText(QStringLiteral("clDefault")), -1);
    EXPECT_FALSE(box.isEditable());
    EXPECT_EQ(box.currentText(), "clMoneyGreen");
    form().ColorBox1->selectColour(Colour::fromRgb(0x56, 0x34, 0x12));
    EXPECT_EQ(box.currentIndex(), -1);
}

TEST_F(LayoutTest, ColourPickerRowsAreSixteenPixelsHigh) {
    QComboBox& box = *form().ColorBox1;
    box.showPopup();
    QAbstractItemView& list = *box.view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.window(), kPatienceMs));
    for (int row : {0, 16, 46}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(list.visualRect(box.model()->index(row, 0)).height(), 16);
    }
    // One row below the other, nothing between them.
    EXPECT_EQ(list.visualRect(box.model()->index(1, 0)).top() - list.visualRect(box.model()->index(0, 0)).top(), 16);
    box.hidePopup();
}

// Only the items of "&Suchen" have shortcut keys.
TEST_F(LayoutTest, MenuItemsCaptionsAndShortcutsOnlyToSearch) {
    const QStringList expected = {QStringLiteral("&Neu/Schließen"),
                                  QStringLiteral("&Öffnen"),
                                  QStringLiteral("&Speichern"),
                                  QStringLiteral("Speichern unter ..."),
                                  QString(),
                                  QStringLiteral("Schrift ändern"),
                                  QStringLiteral("Immer im &Vordergrund"),
                                  QString(),
                                  QStringLiteral("&Drucken"),
                                  QStringLiteral("Seitenansicht ..."),
                                  QString(),
                                  QStringLiteral("&Beenden")};
    QStringList captions;
    for (QAction* a : form().Datei1->actions()) {
        captions << a->text();
        EXPECT_TRUE(a->shortcut().isEmpty());
    }
    EXPECT_EQ(captions, expected);
    QStringList bar;
    for (QAction* a : form().menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar, (QStringList{QStringLiteral("&Datei"), QStringLiteral("SelectAll"), QStringLiteral("&Suchen"),
                                QStringLiteral("&Info")}));
    QStringList search;
    for (QAction* a : form().Suchen1->actions()) search << a->text() + " " + a->shortcut().toString();
    EXPECT_EQ(search, (QStringList{QStringLiteral("&Suchen ... Ctrl+F"), QStringLiteral("&Weitersuchen F3"),
                                   QStringLiteral("&Ersetzen ... Ctrl+H")}));
}

TEST_F(LayoutTest, DruckenInTheMenuDoesNothing) {
    memo().loadBytes("Text");
    form().Drucken1->trigger();
    EXPECT_EQ(platform.dialogCount(), 0);
    EXPECT_TRUE(platform.errorReports.isEmpty());
    EXPECT_EQ(memo().text(), "Text");
}

TEST_F(LayoutTest, TabOrderGoesRoundBothWays) {
    TForm1& f = form();
    const QList<QWidget*> order = {
        f.ButX,          f.ButC,    f.ButE,     f.ButPhrasen, f.BitButClose, f.ButDatum,          f.ButReplace,
        f.ButReplaceAll, f.EdiTime, f.ButStart, f.ButReset,   f.ButStop,     f.MemArbeitsfenster, f.ColorBox1,
        f.EdiKopfzeile};
    order.front()->setFocus();
    for (qsizetype i = 1; i <= order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i % order.size()]) << "step " << i;
    }
    for (qsizetype i = order.size() - 1; i >= 0; --i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), order[i]) << "back to " << i;
    }
}

TEST_F(LayoutTest, FocusRulesOfTheSmallControls) {
    EXPECT_EQ(QApplication::focusWidget(), &memo());  // given when the window is shown
    EXPECT_EQ(form().EdiDatum->focusPolicy(), Qt::ClickFocus);
    for (QWidget* w : {static_cast<QWidget*>(form().SpButOeffnen), static_cast<QWidget*>(form().PanTop),
                       static_cast<QWidget*>(form().Panel1), static_cast<QWidget*>(form().Label1)}) {
        EXPECT_EQ(w->focusPolicy(), Qt::NoFocus) << w->objectName().toStdString();
    }
}

// Out of the Tab order they stay, but a screen reader may give them the
// focus: then they take the keys of a button.
TEST_F(LayoutTest, ImageButtonsAndTopTakeSpaceAndReturnWhenGivenTheFocus) {
    ImageButton* open = form().SpButOeffnen;
    open->setFocus();
    QTest::keyClick(open, Qt::Key_Return);
    EXPECT_EQ(platform.dialogCount(), 1) << "Return on the open button";
    open->setFocus();
    QTest::keyClick(open, Qt::Key_Space);
    EXPECT_EQ(platform.dialogCount(), 2) << "Space on the open button";
    BevelButtonPanel* top = form().PanTop;
    top->setFocus();
    QTest::keyClick(top, Qt::Key_Space);
    EXPECT_FALSE(top->isRaised()) << "Space on TOP";
    QTest::keyClick(top, Qt::Key_Return);
    EXPECT_TRUE(top->isRaised()) << "Return on TOP";
}

TEST_F(LayoutTest, ResizingMovesOnlyThePanelsAndTheTextWindow) {
    form().resize(900, 800);
    QApplication::processEvents();
    expectPlacementsUnchanged();
    EXPECT_EQ(form().PanMitte->width(), form().centralWidget()->width());
    EXPECT_EQ(form().MemArbeitsfenster->width(), form().PanMitte->width() - 2);
    form().resize(400, 500);
    QApplication::processEvents();
    expectPlacementsUnchanged();
    EXPECT_EQ(form().Panel1->x(), 646);
}

}  // namespace
// The .exe's icon (a file of the build, made by tools/draw_images) holds
// the program icon in the four sizes, each the same as the icon compiled in.
TEST(ProgramIconTest, WindowsIconFileHoldsTheFourSizes) {
    QImageReader ico(QStringLiteral(KORVEX_ICONS_DIR "/korvex.ico"));
    ASSERT_EQ(ico.imageCount(), 4) << ico.errorString().toStdString();
    const int sizes[] = {16, 32, 48, 256};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(ico.jumpToImage(i));
        const QImage fromIco = ico.read().convertToFormat(QImage::Format_ARGB32);
        const QImage compiledIn =
            QImage(QStringLiteral(":/icons/korvex%1.png").arg(sizes[i])).convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(fromIco.size(), QSize(sizes[i], sizes[i]));
        EXPECT_TRUE(fromIco == compiledIn) << "icon " << sizes[i];
    }
}

}  // namespace korvex::testing
