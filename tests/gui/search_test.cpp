// "Suchen" and "Ersetzen" on the main window: the dialog's buttons on the
// real text window, what the dialog says, the status, the flag and undo.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextDocumentLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <random>

#include "app/uKorvex21.h"
#include "display/textwindow.h"
#include "document/headerfield.h"
#include "search/documentscan.h"
#include "search/finddialog.h"
#include "support/mainwindowfixture.h"
#include "widgets/controls.h"

namespace korvex::testing {
namespace {

class SearchTest : public MainWindowTest {
protected:
    // Made when a command first opens it.
    search::FindDialog& dialog() { return *form().findChild<search::FindDialog*>(QStringLiteral("FindDialog")); }
    void openFind(const QString& pattern) {
        form().Suchen2Click();
        dialog().EdiSuchen->setText(pattern);
    }
    void openReplace(const QString& pattern, const QString& replacement) {
        form().Ersetzen1Click();
        dialog().EdiSuchen->setText(pattern);
        dialog().EdiErsetzen->setText(replacement);
    }
    QString said() { return dialog().LabMeldung->text(); }
    // The selection as [start, end).
    std::pair<int, int> selection() {
        const QTextCursor cursor = memo().textCursor();
        return {cursor.selectionStart(), cursor.selectionEnd()};
    }
    void placeCaret(int position) {
        QTextCursor cursor = memo().textCursor();
        cursor.setPosition(position);
        memo().setTextCursor(cursor);
    }
};

// Down to the last match, then round from the start once, saying so; up
// the same way from the other end. The status labels follow each match.
TEST_F(SearchTest, WeitersuchenGoesRoundOnceAndTheStatusFollows) {
    memo().loadBytes("eins zwei\r\nzwei eins\r\ndrei");
    openFind(QStringLiteral("EINS"));
    click(dialog().ButWeitersuchen);
    EXPECT_EQ(selection(), std::make_pair(0, 4));
    EXPECT_EQ(said(), "");
    click(dialog().ButWeitersuchen);
    EXPECT_EQ(selection(), std::make_pair(15, 19));
    EXPECT_EQ(form().LabShowCZeile->text(), "2");
    EXPECT_EQ(form().LabShowCSpalte->text(), "6");
    click(dialog().ButWeitersuchen);
    EXPECT_EQ(selection(), std::make_pair(0, 4));
    EXPECT_EQ(said(), "Am Textende angekommen: weiter am Anfang gesucht.");
    EXPECT_EQ(form().LabShowCZeile->text(), "1");

    click(dialog().RadOben);
    click(dialog().ButWeitersuchen);
    EXPECT_EQ(selection(), std::make_pair(15, 19));
    EXPECT_EQ(said(), "Am Textanfang angekommen: weiter am Ende gesucht.");

    dialog().EdiSuchen->setText(QStringLiteral("vier"));
    click(dialog().ButWeitersuchen);
    EXPECT_EQ(said(), "„vier“ wurde nicht gefunden.");
    EXPECT_EQ(selection(), std::make_pair(15, 19));  // stays where it was
    dialog().EdiSuchen->setText(QStringLiteral("ein→"));
    click(dialog().ButWeitersuchen);
    EXPECT_EQ(said(), "„ein→“ wurde nicht gefunden: „→“ kann im Text nicht vorkommen.");
    EXPECT_TRUE(platform.messages.isEmpty());  // said in the dialog, no box, no beep
}

// The keys reach the main window wherever its focus is, and the dialog.
TEST_F(SearchTest, ShortcutKeysWorkFromEveryFieldOfTheMainWindow) {
    memo().loadBytes("Kopf und Fu\xDF, Kopf");
    form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form(), 20'000));
    form().EdiKopfzeile->setFocus();
    QTest::keyClick(form().EdiKopfzeile, Qt::Key_F3);  // no search yet: the dialog
    ASSERT_TRUE(dialog().isVisible());
    EXPECT_FALSE(dialog().isReplacing());
    EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::focusWidget() == dialog().EdiSuchen; }, 20'000))
        << "the focus is in " << QApplication::focusWidget();
    dialog().reject();

    QTextCursor cursor = memo().textCursor();
    cursor.setPosition(0);
    cursor.setPosition(4, QTextCursor::KeepAnchor);  // "Kopf", one line: the preset
    memo().setTextCursor(cursor);
    form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form(), 20'000));
    memo().setFocus();
    QTest::keyClick(&memo(), Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(dialog().isVisible());
    EXPECT_TRUE(dialog().isReplacing());
    EXPECT_EQ(dialog().EdiSuchen->text(), "Kopf");
    EXPECT_EQ(dialog().EdiSuchen->selectedText(), "Kopf");  // typing replaces it
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog(), 20'000));
    QTest::keyClick(dialog().EdiSuchen, Qt::Key_F3);
    EXPECT_EQ(selection(), std::make_pair(14, 18));
    EXPECT_EQ(memo().text(), "Kopf und Fu\xDF, Kopf");  // no key went into the text
}

// Many matches, at the ends of lines too, go in over several rounds, the
// window painting between them: still one step of undo, the flag cleared,
// the header kept, the status counted anew, and the display lines of each
// line as Qt lays it out (every 40th line is long: it wraps anew). The
// text is big enough for its new lines to be made in two halves at once.
TEST_F(SearchTest, AlleErsetzenIsOneStepOfUndo) {
    std::string text;
    std::string replaced;
    int matches = 0;
    for (int line = 0; line < 15'000; ++line) {
        const int words = line % 40 == 0 ? 60 + line % 70 : 2 + line % 95;
        for (int word = 0; word < words; ++word, ++matches) {
            const char* gap = word + 1 < words ? " " : line + 1 < 15'000 ? "\r\n" : "";
            text += (word % 2 == 0 ? "ab" : "Ab") + std::string(gap);
            replaced += "xyz" + std::string(gap);
        }
    }
    ASSERT_GT(text.size(), size_t{2'200'000}) << "too small to be halved";
    memo().loadBytes(text);
    form().EdiKopfzeile->setText(QStringLiteral("Kopf"));
    memo().document()->clearUndoRedoStacks();
    form().markSaved();
    const auto expectLinesAsQtLaysThemOut = [this] {
        auto* layout = qobject_cast<QPlainTextDocumentLayout*>(memo().document()->documentLayout());
        int before = 0;
        for (QTextBlock block = memo().document()->firstBlock(); block.isValid(); block = block.next()) {
            if (block.blockNumber() % 40 <= 1) {
                memo().placeCaret(block.position());
                ASSERT_EQ(memo().caretLine(), before) << "line " << block.blockNumber();
            }
            layout->ensureBlockLayout(block);
            before += block.layout()->lineCount();
        }
        EXPECT_EQ(memo().count(), before);
    };
    expectLinesAsQtLaysThemOut();
    // The third word of a long line selected: afterwards its replacement is.
    const int longLine = memo().document()->findBlockByNumber(40).position();
    QTextCursor word(memo().document());
    word.setPosition(longLine + 6);
    word.setPosition(longLine + 8, QTextCursor::KeepAnchor);
    memo().setTextCursor(word);
    openReplace(QStringLiteral("ab"), QStringLiteral("xyz"));
    click(dialog().ButAlleErsetzen);
    EXPECT_EQ(said(), QLocale(QLocale::German).toString(matches) + QStringLiteral(" Stellen ersetzt."));
    EXPECT_EQ(memo().text(), replaced);
    const int replacedLine = memo().document()->findBlockByNumber(40).position();
    EXPECT_EQ(selection(), std::make_pair(replacedLine + 8, replacedLine + 11));
    EXPECT_FALSE(form().isSaved());
    EXPECT_EQ(form().EdiKopfzeile->text(), "Kopf");
    EXPECT_EQ(form().LabShowZeilenAnz->text(), QString::number(memo().count()));
    expectLinesAsQtLaysThemOut();

    memo().undo();
    EXPECT_EQ(memo().text(), text);
    EXPECT_FALSE(memo().document()->isUndoAvailable());
    expectLinesAsQtLaysThemOut();
}

// The text is searched where the document keeps it, in which what was
// typed later lies apart from what was loaded: a word may begin in one
// place and end in another, and the letter after a whole word may lie in a
// third. Each is found, or not, as in one piece of text, and undo brings
// the exact text back.
TEST_F(SearchTest, WordsAcrossPlacesTypedLaterAreFound) {
    memo().loadBytes("Wrt und Wor");
    QTextCursor cursor(memo().document());
    cursor.setPosition(1);
    cursor.insertText(QStringLiteral("o"));
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("ts"));
    ASSERT_EQ(memo().text(), "Wort und Worts");
    memo().document()->clearUndoRedoStacks();

    openFind(QStringLiteral("wort"));
    placeCaret(1);
    click(dialog().ButWeitersuchen);
    EXPECT_EQ(selection(), std::make_pair(9, 13));
    dialog().ChkGanzesWort->setChecked(true);
    click(dialog().ButWeitersuchen);
    EXPECT_EQ(selection(), std::make_pair(0, 4));  // "Worts" is no whole "Wort"
    EXPECT_EQ(said(), "Am Textende angekommen: weiter am Anfang gesucht.");
    dialog().ChkGanzesWort->setChecked(false);
    dialog().RadOben->setChecked(true);
    placeCaret(14);
    click(dialog().ButWeitersuchen);
    EXPECT_EQ(selection(), std::make_pair(9, 13));

    openReplace(QStringLiteral("wort"), QStringLiteral("Satz"));
    click(dialog().ButAlleErsetzen);
    EXPECT_EQ(said(), "2 Stellen ersetzt.");
    EXPECT_EQ(memo().text(), "Satz und Satzs");
    memo().undo();
    EXPECT_EQ(memo().text(), "Wort und Worts");
}

// Every search of the document's text as it lies in its pieces finds what
// a search of the whole text in one piece finds, from every `step`th place.
void expectScanFindsWhatOnePieceFinds(const QTextDocument& document, const std::vector<const char16_t*>& patterns,
                                      size_t step) {
    const QString whole = document.toRawText();
    const std::u16string_view text(reinterpret_cast<const char16_t*>(whole.constData()),
                                   static_cast<size_t>(whole.size()));
    const search::DocumentScan scan(document);
    ASSERT_EQ(scan.length(), text.size());
    for (const char16_t* pattern : patterns) {
        for (const search::MatchRules rules : {search::MatchRules{false, false}, search::MatchRules{true, true}}) {
            SCOPED_TRACE(QString::fromUtf16(pattern).toStdString() + (rules.matchCase ? " (case, word)" : ""));
            const search::Matcher matcher(pattern, rules);
            const std::vector<size_t> all = matcher.findAll(text);
            if (!rules.matchCase) ASSERT_FALSE(all.empty()) << "no match to compare";
            EXPECT_EQ(scan.findAll(matcher), all);
            for (size_t at = 0; at <= text.size(); at += step) {
                EXPECT_EQ(scan.findForward(matcher, at), matcher.findForward(text, at)) << at;
                EXPECT_EQ(scan.findBackward(matcher, at), matcher.findBackward(text, at)) << at;
            }
        }
    }
}

// Many edits in random places, which leave many seams, short pieces and
// pieces of one letter.
TEST(DocumentScan, FindsWhatASearchOfTheWholeTextFinds) {
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("Wort wort\nWORT Worte"));
    std::mt19937 random(32);
    const QStringList snippets{"Wort", "wo", "rt", "o", " ", "\n", "Wortx", "ä"};
    for (int i = 0; i < 600; ++i) {
        const int end = document.characterCount() - 1;
        cursor.setPosition(static_cast<int>(random() % static_cast<unsigned>(end + 1)));
        if (random() % 4 == 0) {
            cursor.setPosition(std::min(end, cursor.position() + static_cast<int>(random() % 3)),
                               QTextCursor::KeepAnchor);
        }
        cursor.insertText(snippets[static_cast<qsizetype>(random() % static_cast<unsigned>(snippets.size()))]);
    }
    expectScanFindsWhatOnePieceFinds(document, {u"wort", u"o", u"rt w", u"tw", u"\u00e4wo"}, 7);
}

// A big text is read and searched in two halves at once: wherever the
// halves meet, in a row of letters that a search text overlapping itself
// ("aa") matches in two ways, the matches are those of one search from the
// start, and so are the matches across pieces loaded and typed; the first
// match is the first half's even when the second half finds its own sooner.
TEST(DocumentScan, BigTextsAreSearchedInTwoHalvesAsInOne) {
    QTextDocument document;
    QTextCursor cursor(&document);
    std::mt19937 random(36);
    for (int piece = 0; piece < 12; ++piece) {
        QString text;
        for (int line = 0; line < 300; ++line) {
            text += QString(static_cast<qsizetype>(100 + random() % 1100), u'a') + QStringLiteral(" Wort wort\n");
        }
        cursor.insertText(text);
    }
    for (int i = 0; i < 200; ++i) {
        cursor.setPosition(static_cast<int>(random() % static_cast<unsigned>(document.characterCount() - 1)));
        cursor.insertText(i % 2 == 0 ? QStringLiteral("a") : QStringLiteral("Wo"));
    }
    ASSERT_GT(document.characterCount(), 2'200'000) << "too small to be halved";
    // A word found sooner in the second half than in the first.
    for (const double share : {0.45, 0.55}) {
        cursor.setPosition(static_cast<int>(share * document.characterCount()));
        cursor.insertText(QStringLiteral(" Suchziel "));
    }
    expectScanFindsWhatOnePieceFinds(document, {u"aa", u"wort", u"a wo", u"suchziel"}, 99'991);
}

// A replacement that holds the search text is not searched again: each
// button press moves on, and "Alle ersetzen" ends.
TEST_F(SearchTest, AReplacementHoldingTheSearchTextIsNotReplacedAgain) {
    memo().loadBytes("a b a");
    openReplace(QStringLiteral("a"), QStringLiteral("aa"));
    click(dialog().ButErsetzen);  // nothing selected yet: finds the first
    EXPECT_EQ(memo().text(), "a b a");
    click(dialog().ButErsetzen);
    EXPECT_EQ(memo().text(), "aa b a");
    EXPECT_EQ(selection(), std::make_pair(5, 6));
    click(dialog().ButErsetzen);
    EXPECT_EQ(memo().text(), "aa b aa");
    EXPECT_EQ(selection(), std::make_pair(0, 1));  // round to the first "a" of "aa"

    memo().loadBytes("a b a");
    click(dialog().ButAlleErsetzen);
    EXPECT_EQ(memo().text(), "aa b aa");
    EXPECT_EQ(said(), "2 Stellen ersetzt.");
}

// At the end of a typing test the text is locked: searching still works,
// replacing changes nothing and says why.
TEST_F(SearchTest, LockedTextIsSearchedButNotChanged) {
    memo().loadBytes("Wort und Wort");
    form().markSaved();
    form().EdiTime->setText(QStringLiteral("1"));
    platform.tick = 0;
    click(form().ButStart);
    platform.tick = 3000;
    form().TimStopperTimer();
    ASSERT_TRUE(memo().isReadOnly());
    const QString count = form().EdiTime->text();

    openReplace(QStringLiteral("Wort"), QStringLiteral("Satz"));
    click(dialog().ButErsetzen);
    click(dialog().ButAlleErsetzen);
    EXPECT_EQ(memo().text(), "Wort und Wort");
    EXPECT_EQ(said(), "Nichts ersetzt: Der Text ist nach dem Schreibtest gesperrt, bis RST ihn freigibt.");
    EXPECT_TRUE(form().isSaved());
    form().Suchen2Click();
    click(dialog().ButWeitersuchen);
    EXPECT_EQ(memo().textCursor().selectedText(), "Wort");
    EXPECT_EQ(form().EdiTime->text(), count);
}

// A result longer than the window holds is refused as a paste would be,
// and nothing of the text changes.
TEST_F(SearchTest, ResultBeyondTheCapacityIsRefusedAndChangesNothing) {
    const auto longest = static_cast<size_t>(TextWindow::kMaxLineLength);
    const std::string text = "x" + std::string(longest - 2, ' ') + "x\r\nx";
    memo().loadBytes(text);
    form().markSaved();
    openReplace(QStringLiteral("x"), QStringLiteral("xy"));
    click(dialog().ButAlleErsetzen);
    EXPECT_EQ(platform.errorReports, QStringList{QStringLiteral("Text überschreitet Memo-Kapazität")});
    EXPECT_EQ(memo().text(), text);
    EXPECT_TRUE(form().isSaved());

    platform.errorReports.clear();
    click(dialog().ButErsetzen);  // selects the first
    click(dialog().ButErsetzen);
    EXPECT_EQ(platform.errorReports, QStringList{QStringLiteral("Text überschreitet Memo-Kapazität")});
    EXPECT_EQ(memo().text(), text);
}

// A big text comes in pieces. The buttons are pressed here without the
// mouse, which would first bring the whole text in: a match in the part in
// is found there, one in the rest is found once the rest is in, every
// match counts for "Alle ersetzen" (the text is read in pieces of lines
// too, more than one here), and the load ends whole.
TEST_F(SearchTest, MatchesInEveryPieceOfALoad) {
    std::string text = "Anfang\r\n";
    for (int i = 0; i < 60'000; ++i) text += "Zeile mit Inhalt " + std::to_string(i) + "\r\n";
    text += "Ende\r\n";
    memo().loadBytes(text);
    ASSERT_TRUE(memo().isLoading());
    openFind(QStringLiteral("anfang"));
    dialog().ButWeitersuchen->click();
    EXPECT_EQ(memo().textCursor().selectedText(), "Anfang");
    EXPECT_TRUE(memo().isLoading());
    dialog().EdiSuchen->setText(QStringLiteral("ende"));
    dialog().ButWeitersuchen->click();
    EXPECT_EQ(memo().textCursor().selectedText(), "Ende");
    EXPECT_EQ(said(), "");  // found in the rest, not by going round
    EXPECT_EQ(memo().text(), text);
    dialog().RadOben->setChecked(true);  // and up again, far beyond the lines near the caret
    dialog().EdiSuchen->setText(QStringLiteral("ANFANG"));
    dialog().ButWeitersuchen->click();
    EXPECT_EQ(memo().textCursor().selectedText(), "Anfang");
    EXPECT_EQ(said(), "");

    memo().loadBytes(text + "Zeile");
    ASSERT_TRUE(memo().isLoading());
    openReplace(QStringLiteral("Zeile"), QStringLiteral("Reihe"));
    dialog().ButAlleErsetzen->click();
    EXPECT_EQ(said(), "60.001 Stellen ersetzt.");
    std::string replaced = text + "Zeile";
    for (size_t at = replaced.find("Zeile"); at != std::string::npos; at = replaced.find("Zeile", at)) {
        replaced.replace(at, 5, "Reihe");
    }
    EXPECT_EQ(memo().text(), replaced);
}

}  // namespace
}  // namespace korvex::testing
