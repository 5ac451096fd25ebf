// The wrap model against Qt's own layout: the break chances of every
// character a document can hold, and the line starts of random lines over
// all 256 characters and of ordinary German text, for each fixed-pitch face
// at several sizes, styles and widths; then the window's counts against the
// layouts Qt gives its blocks.
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>
#include <random>

#include "base/cp1252.h"
#include "bench/corpus.h"
#include "display/documenttext.h"
#include "display/linebreaks.h"
#include "display/textwindow.h"
#include "display/wrapmodel.h"
#include "support/mainwindowfixture.h"

namespace korvex::testing {
namespace {

// Every character a block can hold: the 256 of Windows-1252 but NUL, CR and LF.
QString everyCharacter() {
    QString all;
    for (int byte = 1; byte < 256; ++byte) {
        if (byte != '\n' && byte != '\r') all += QChar(cp1252::toUnicode(static_cast<unsigned char>(byte)));
    }
    return all;
}

// Random lines over all characters (or those given); every other one with
// many spaces, so that it breaks at words.
std::vector<QString> randomLines(int count, unsigned seed, const QString& all = everyCharacter()) {
    std::mt19937 random(seed);
    std::vector<QString> lines;
    for (int i = 0; i < count; ++i) {
        QString line;
        const int length = static_cast<int>(random() % 400);
        for (int k = 0; k < length; ++k) {
            line += (i % 2 && random() % 5 == 0) ? QChar(u' ') : all[static_cast<qsizetype>(random() % all.size())];
        }
        lines.push_back(line);
    }
    return lines;
}

// Random lines of words cut into syllables by soft hyphens: soft hyphens
// doubled, at a word's start and end and before a tab, a space, a stop or a
// dash, words longer than a line, non-breaking spaces.
std::vector<QString> softHyphenLines(int count, unsigned seed) {
    const QString shy(QChar(0xAD));
    const QStringList pieces{QStringLiteral("Sil"),
                             QStringLiteral("ben"),
                             QStringLiteral("tren"),
                             QStringLiteral("nung"),
                             QStringLiteral("W"),
                             shy,
                             shy,
                             shy + shy,
                             QStringLiteral(" "),
                             QStringLiteral(" "),
                             QStringLiteral("\t"),
                             QString(QChar(0xA0)),
                             QStringLiteral("-"),
                             QStringLiteral(".)"),
                             QString(40, QLatin1Char('m'))};
    std::mt19937 random(seed);
    std::vector<QString> lines;
    for (int i = 0; i < count; ++i) {
        QString line;
        for (int k = static_cast<int>(random() % 120); k > 0; --k) {
            line += pieces[static_cast<qsizetype>(random() % pieces.size())];
        }
        lines.push_back(line);
    }
    return lines;
}

QStringList germanLines(size_t bytes, unsigned seed) {
    return documentTextFromBytes(bench::generateGermanText(bytes, seed)).split(QLatin1Char('\n'));
}

std::string shown(const QString& text) {
    std::string out;
    for (QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F) {
            out += static_cast<char>(c.unicode());
        } else {
            out += "<" + QString::number(c.unicode(), 16).toStdString() + ">";
        }
    }
    return out;
}

std::vector<int> qtLineStarts(const QString& text, const QFont& font, const QTextOption& option, qreal width) {
    QTextLayout layout(text, font);
    layout.setTextOption(option);
    std::vector<int> starts;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        starts.push_back(line.textStart());
    }
    layout.endLayout();
    return starts;
}

// The flags of a text asked for here and there, skipping ahead as a line's
// layout does: they must be the ones found for the whole text at once.
void expectSameWhenAskedAlong(const QString& line, const std::vector<LineBreaks::Flag>& flags, std::mt19937& random) {
    LineBreaks breaks;
    breaks.start(line);
    for (int pos = 0; pos < line.size(); ++pos) {
        if (random() % 8 == 0) {
            const int ahead = pos + static_cast<int>(random() % 120);
            if (ahead < line.size()) breaks.skipTo(ahead);
            pos = std::min(static_cast<int>(line.size()) - 1, std::max(pos, ahead - static_cast<int>(random() % 40)));
        }
        ASSERT_EQ(breaks.at(pos), flags[static_cast<size_t>(pos)]) << "at " << pos << ": " << shown(line);
    }
}

// Inside a run of characters (no white space on either side) the model
// breaks exactly where Qt's line breaker does, whether the flags are found
// at once or as they are asked for.
TEST(WrapModelTest, BreakChancesAreQtsOnEveryCharacter) {
    std::vector<QString> lines = randomLines(3000, 1);
    for (const QString& line : germanLines(200'000, 2)) lines.push_back(line);
    // Numbers next to spaces, hard breaks and controls, where the walk may or may not go on after a space.
    for (const QString& marks : {QStringLiteral("5 ,.)(-%x\v\x01\"") + QChar(0x20AC), QStringLiteral("5 ,x\v")}) {
        for (const QString& line : randomLines(3000, 6, marks)) lines.push_back(line);
    }
    std::vector<LineBreaks::Flag> flags;
    std::mt19937 random(5);
    for (const QString& line : lines) {
        ASSERT_TRUE(LineBreaks::find(line, flags)) << shown(line);
        expectSameWhenAskedAlong(line, flags, random);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, line);
        for (int pos = 1; pos < line.size(); ++pos) {
            if ((flags[static_cast<size_t>(pos - 1)] | flags[static_cast<size_t>(pos)]) & LineBreaks::WhiteSpace)
                continue;
            finder.setPosition(pos);
            ASSERT_EQ(finder.isAtBoundary(), (flags[static_cast<size_t>(pos)] & LineBreaks::BreakBefore) != 0)
                << "at " << pos << ": " << shown(line.mid(pos - 12, 12)) << " | " << shown(line.mid(pos, 3));
        }
    }
}

// The fixed-pitch faces the font choice offers here, and the face the program starts with.
QStringList fixedPitchFaces() {
    QStringList faces{QStringLiteral("Courier New")};
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family) && !family.startsWith(u'.')) faces += family;
    }
    return faces;
}

const QStringList kFollowedFaces{QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                                 QStringLiteral("DejaVu Sans Mono")};

TEST(WrapModelTest, LineStartsAreQtsForEveryCharacterAndGermanText) {
    std::vector<QString> lines = randomLines(300, 3);
    for (const QString& line : softHyphenLines(300, 8)) lines.push_back(line);
    for (const QString& line : germanLines(60'000, 4)) lines.push_back(line);
    // A hard line as long as a book chapter.
    const QString chapter = germanLines(50'000, 7).join(QLatin1Char(' '));
    lines.push_back(chapter);
    // Qt cuts a line without tabs into items of 4096 characters; where one ends
    // after a soft hyphen, it keeps the hyphen's width for the run going on
    // past the cut. The model leaves such lines to Qt.
    std::vector<QString> leftToQt;
    for (const QString& after : {QStringLiteral(" "), QStringLiteral("."), QString(QChar(0xAD))}) {
        QString line = QString(chapter).replace(QLatin1Char('\t'), QLatin1Char(' '));
        line.replace(4095, 2, QChar(0xAD) + after);
        leftToQt.push_back(line);
        lines.push_back(line);
    }
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    int compared = 0;
    int withSoftHyphen = 0;
    for (const QString& face : fixedPitchFaces()) {
        for (int size : {9, 13, 15, 16, 19, 20}) {
            for (const bool bold : {false, true}) {
                QFont font(face);
                font.setPixelSize(size);
                font.setBold(bold);
                font.setItalic(size == 16);
                const auto model = WrapModel::forFont(font, option);
                // Faces with ligatures (one "Nimbus Mono PS" here joins "ff") are left to Qt.
                if (!model) {
                    EXPECT_FALSE(kFollowedFaces.contains(face)) << face.toStdString() << ' ' << size;
                    continue;
                }
                for (const qreal width : {60.0, 157.5, 240.0, 333.0, 610.0}) {
                    std::vector<int> starts;
                    for (const QString& line : lines) {
                        const bool followed = model->lineStarts(line, static_cast<int>(width * 64), starts);
                        ASSERT_NE(followed, std::ranges::count(leftToQt, line) > 0) << shown(line);
                        if (!followed) continue;
                        ASSERT_EQ(starts, qtLineStarts(line, font, option, width))
                            << face.toStdString() << ' ' << size << "px bold " << bold << " width " << width << ": "
                            << shown(line);
                        ++compared;
                        withSoftHyphen += line.contains(QChar(0xAD)) ? 1 : 0;
                    }
                }
            }
        }
    }
    EXPECT_GT(compared, 10000);
    EXPECT_GT(withSoftHyphen, 5000);
}

TEST_F(MainWindowTest, DisplayLineCountsEqualQtLayoutOfEveryBlock) {
    TextWindow window;
    window.show();
    const std::vector<QString> random = randomLines(60, 5);
    QStringList lines(random.begin(), random.end());
    lines += germanLines(20'000, 6);
    lines += QStringLiteral("Schluss");  // the count leaves out an empty last line
    qsizetype longest = 0;
    for (const QString& line : lines) longest = std::max(longest, line.size());
    const QString text = lines.join(QChar::ParagraphSeparator);
    window.loadRawText(text, {static_cast<size_t>(lines.size()), longest, text.size()}, {});
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(window.document()->documentLayout());
    ASSERT_NE(layout, nullptr);
    QStringList families;  // faces that resolve to a font already checked are not checked again
    for (const char* face : {"Courier New", "Arial", "Tahoma", "MS Sans Serif", "DejaVu Sans Mono"}) {
        const QString family = QFontInfo(QFont(QString::fromLatin1(face))).family();
        if (families.contains(family)) continue;
        families += family;
        for (int size : {8, 13, 20}) {
            QFont font{QString::fromLatin1(face)};
            font.setPixelSize(size);
            window.setFont(font);
            for (int width : {90, 333, 610}) {
                window.resize(width, 200);
                const int counted = window.count();
                int qtLines = 0;
                for (QTextBlock block = window.document()->firstBlock(); block.isValid(); block = block.next()) {
                    layout->ensureBlockLayout(block);
                    qtLines += block.layout()->lineCount();
                }
                ASSERT_EQ(counted, qtLines) << face << ' ' << size << "px width " << width;
            }
        }
    }
}

}  // namespace
}  // namespace korvex::testing
