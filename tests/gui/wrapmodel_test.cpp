// The display-line counts of the text window against Qt's own layout of
// every block, for each face the print layout names, sizes 8 to 20 and
// several widths, over text with the characters wrapping depends on.
#include <QApplication>
#include <QFontInfo>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <random>

#include "app/qtconvert.h"
#include "app/textwindow.h"
#include "app/wrapmodel.h"
#include "support/mainwindowfixture.h"

namespace korvex::testing {
namespace {

// Hard lines of words, numbers, punctuation, runs of spaces and overlong
// words; some lines also hold characters only Qt's layout handles.
std::string corpus() {
    static const char* const pieces[] = {
        "Straße",
        "Übergänge",
        "und",
        "der",
        "Wörter",
        "ÄÖÜ",
        "1999",
        "3-4",
        "Süd-Ost",
        "-x",
        "x-",
        "--",
        "z.B.",
        "Ja!Nein",
        "wie?5",
        "\"Zitat\"",
        "'s",
        "a,b;c:d",
        "Ende.",
        "!?",
        "W",
        "AAAA",
        "wwww",
        "Donaudampfschifffahrtsgesellschaftskapitänsmützenabzeichenhersteller",
        "ÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄ-xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"};
    static const char* const others[] = {"\t", "Sil\u00ADben", "10\u00A0kg", "und/oder", "a–z", "so…", "(x)", "50%"};
    std::mt19937 random(7);
    std::string text;
    for (int line = 0; line < 100; ++line) {
        const int words = static_cast<int>(random() % 40);
        const bool mixed = line % 4 == 3;
        for (int w = 0; w < words; ++w) {
            if (mixed && random() % 5 == 0) {
                text += others[random() % std::size(others)];
            } else {
                text += pieces[random() % std::size(pieces)];
            }
            text += std::string(random() % 7 == 0 ? 1 + random() % 30 : 1, ' ');
        }
        text += "\r\n";
    }
    text += "Schluss";
    return toCp1252(QString::fromStdString(text));
}

// The model's break chances between two characters it follows are Qt's,
// after letters, digits, hyphens, stops and quotes.
TEST(WrapModelTest, BreakChancesAreQtsForEveryPairOfCharacters) {
    std::vector<char16_t> known;
    for (char16_t c = 0; c < 256; ++c) {
        if (WrapModel::kindOf(c) != WrapModel::Unknown && c != u' ') known.push_back(c);
    }
    for (const char16_t* before : {u"", u"x", u"1", u"-", u"x-", u"1.", u"!", u"\"", u"1-"}) {
        for (char16_t first : known) {
            for (char16_t second : known) {
                if (WrapModel::kindOf(first) == WrapModel::Stop && WrapModel::kindOf(second) == WrapModel::Digit) {
                    continue;  // left to Qt
                }
                const QString text = QString::fromUtf16(before) + QChar(first) + QChar(second) + QLatin1Char('x');
                QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
                finder.setPosition(static_cast<int>(text.size()) - 2);
                ASSERT_EQ(WrapModel::breakBetween(WrapModel::kindOf(first), WrapModel::kindOf(second)),
                          finder.isAtBoundary())
                    << text.toStdString();
            }
        }
    }
}

TEST_F(MainWindowTest, DisplayLineCountsEqualQtLayoutOfEveryBlock) {
    TextWindow window;
    window.show();
    window.loadBytes(corpus());
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(window.document()->documentLayout());
    ASSERT_NE(layout, nullptr);
    QStringList families;  // faces that resolve to a font already checked are not checked again
    for (const char* face : {"Courier New", "Arial", "Tahoma", "MS Sans Serif", "Comic Sans MS", "OCR A Extended"}) {
        const QString family = QFontInfo(QFont(QString::fromLatin1(face))).family();
        if (families.contains(family)) continue;
        families += family;
        for (int size = 8; size <= 20; ++size) {
            QFont font{QString::fromLatin1(face)};
            font.setPixelSize(size);
            window.setFont(font);
            const auto model = WrapModel::forFont(window.document()->defaultFont());
            if (QByteArray(face) == "Courier New") EXPECT_TRUE(model) << size;
            for (int width : {90, 333, 610}) {
                window.resize(width, 200);
                const int counted = window.count();
                int modelled = 0;
                int qtLines = 0;
                for (QTextBlock block = window.document()->firstBlock(); block.isValid(); block = block.next()) {
                    layout->ensureBlockLayout(block);
                    const QTextLayout* laid = block.layout();
                    qtLines += laid->lineCount();
                    if (!model) continue;
                    const int lines = model->lineCount(block.text(), static_cast<int>(laid->lineAt(0).width() * 64));
                    if (lines < 0) continue;
                    ++modelled;
                    ASSERT_EQ(lines, laid->lineCount())
                        << face << ' ' << size << "px width " << width << ": " << block.text().toStdString();
                }
                ASSERT_EQ(counted, qtLines) << face << ' ' << size << "px width " << width;
                // Most lines have only characters the model follows; the others go to Qt.
                if (model) EXPECT_GT(modelled, 50);
            }
        }
    }
}

}  // namespace
}  // namespace korvex::testing
