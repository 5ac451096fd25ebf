#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "printing/pagelayout.h"

using namespace korvex;

namespace {

std::string blanks(int count) { return std::string(static_cast<size_t>(count), ' '); }

// Print buffer of lineCount numbered lines, margin in front as the printer builds it.
std::vector<std::string> numberedBuffer(const PageLayout& layout, int lineCount) {
    std::vector<std::string> buffer;
    for (int i = 1; i <= lineCount; ++i) buffer.push_back(withMargin(layout, "Zeile " + std::to_string(i)));
    return buffer;
}

// Expected values per size, worked out by hand from the size table and the face rules.
struct SizeRow {
    int points;
    int plainLines;
    int comicLines;
    int plainMargin;
    int wideMargin;
};

void PrintTo(const SizeRow& row, std::ostream* os) { *os << "size " << row.points; }

class LayoutTable : public ::testing::TestWithParam<SizeRow> {};

TEST_P(LayoutTable, FixedPitchFacesKeepTheTable) {
    const SizeRow& row = GetParam();
    for (const char* face : {"Courier New", "Times New Roman", "comic sans ms", "arial", "", "Comic Sans MS "}) {
        SCOPED_TRACE(face);
        EXPECT_EQ(pageLayoutFor(row.points, face, false), (PageLayout{row.plainLines, row.plainMargin, false}));
        EXPECT_EQ(pageLayoutFor(row.points, face, true), (PageLayout{row.plainLines - 2, row.plainMargin, true}));
    }
}

TEST_P(LayoutTable, WideFacesGetTheWiderMargin) {
    const SizeRow& row = GetParam();
    for (const char* face : {"Arial", "Tahoma", "MS Sans Serif"}) {
        SCOPED_TRACE(face);
        EXPECT_EQ(pageLayoutFor(row.points, face, false), (PageLayout{row.plainLines, row.wideMargin, false}));
        EXPECT_EQ(pageLayoutFor(row.points, face, true), (PageLayout{row.plainLines - 2, row.wideMargin, true}));
    }
}

TEST_P(LayoutTable, ComicFaceLosesLinesBeforeTheHeaderIsTaken) {
    const SizeRow& row = GetParam();
    EXPECT_EQ(pageLayoutFor(row.points, "Comic Sans MS", false), (PageLayout{row.comicLines, row.wideMargin, false}));
    EXPECT_EQ(pageLayoutFor(row.points, "Comic Sans MS", true), (PageLayout{row.comicLines - 2, row.wideMargin, true}));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, LayoutTable,
    ::testing::Values(SizeRow{8, 74, 61, 14, 30}, SizeRow{9, 68, 56, 13, 28}, SizeRow{10, 63, 52, 12, 26},
                      SizeRow{11, 58, 48, 11, 24}, SizeRow{12, 52, 43, 10, 22}, SizeRow{13, 47, 39, 9, 19},
                      SizeRow{14, 43, 35, 8, 17}, SizeRow{16, 37, 30, 7, 15}, SizeRow{18, 33, 27, 6, 13},
                      SizeRow{20, 30, 24, 5, 11}, SizeRow{15, 15, 12, 5, 11}, SizeRow{17, 15, 12, 5, 11},
                      SizeRow{19, 15, 12, 5, 11}, SizeRow{7, 15, 12, 5, 11}, SizeRow{22, 15, 12, 5, 11},
                      SizeRow{21, 15, 12, 5, 11}, SizeRow{0, 15, 12, 5, 11}, SizeRow{-10, 15, 12, 5, 11},
                      SizeRow{72, 15, 12, 5, 11}));

TEST(PageLayoutRules, NamedCases) {
    EXPECT_EQ(pageLayoutFor(10, "Arial", false), (PageLayout{63, 26, false}));
    EXPECT_EQ(pageLayoutFor(12, "Comic Sans MS", true), (PageLayout{41, 22, true}));
    EXPECT_EQ(pageLayoutFor(12, "comic sans ms", true), (PageLayout{50, 10, true}));
    EXPECT_EQ(pageLayoutFor(15, "Courier New", true), (PageLayout{13, 5, true}));
    EXPECT_EQ(pageLayoutFor(7, "Comic Sans MS", false), (PageLayout{12, 11, false}));
    EXPECT_EQ(pageLayoutFor(22, "Comic Sans MS", true), (PageLayout{10, 11, true}));
}

TEST(PageLayoutRules, MarginAndFooter) {
    const PageLayout courier = pageLayoutFor(10, "Courier New", false);
    EXPECT_EQ(margin(courier), blanks(12));
    EXPECT_EQ(withMargin(courier, "abc"), blanks(12) + "abc");
    EXPECT_EQ(withMargin(courier, ""), blanks(12));
    EXPECT_EQ(footer(courier, 0), blanks(48) + "- 1 -");
    EXPECT_EQ(footer(courier, 11), blanks(48) + "- 12 -");

    const PageLayout arial = pageLayoutFor(10, "Arial", false);
    EXPECT_EQ(margin(arial), blanks(26));
    EXPECT_EQ(footer(arial, 0), blanks(104) + "- 1 -");
}

struct CountCase {
    int lines;
    int pages;
};

class PageCounts : public ::testing::TestWithParam<CountCase> {};

TEST_P(PageCounts, WholeMultipleStillStartsAPage) {
    EXPECT_EQ(pageCount(GetParam().lines, PageLayout{63, 12, false}), GetParam().pages);
}

INSTANTIATE_TEST_SUITE_P(Lines, PageCounts,
                         ::testing::Values(CountCase{0, 1}, CountCase{1, 1}, CountCase{62, 1}, CountCase{63, 2},
                                           CountCase{64, 2}, CountCase{126, 3}, CountCase{150, 3}, CountCase{189, 4}));

TEST(PageLines, CourierWithoutHeader) {
    const PageLayout layout = pageLayoutFor(10, "Courier New", false);
    const std::vector<std::string> buffer = numberedBuffer(layout, 150);
    ASSERT_EQ(pageCount(150, layout), 3);

    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        const std::vector<std::string> lines = pageLines(layout, page, buffer, "unused");
        ASSERT_EQ(lines.size(), 65u);
        EXPECT_EQ(lines[0], blanks(12) + "Zeile " + std::to_string(page * 63 + 1));
        EXPECT_EQ(lines[63], "");
        EXPECT_EQ(lines[64], blanks(48) + "- " + std::to_string(page + 1) + " -");
    }

    const std::vector<std::string> third = pageLines(layout, 2, buffer, "unused");
    EXPECT_EQ(third[0], blanks(12) + "Zeile 127");
    EXPECT_EQ(third[23], blanks(12) + "Zeile 150");
    for (int i = 24; i < 63; ++i) EXPECT_EQ(third[static_cast<size_t>(i)], "") << i;
}

TEST(PageLines, CourierWithHeader) {
    const PageLayout layout = pageLayoutFor(10, "Courier New", true);
    ASSERT_EQ(layout.linesPerPage, 61);
    const std::vector<std::string> buffer = numberedBuffer(layout, 150);
    const std::string header = withMargin(layout, "Kopfzeile");
    ASSERT_EQ(pageCount(150, layout), 3);

    const int textLines[] = {61, 61, 28};
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        const std::vector<std::string> lines = pageLines(layout, page, buffer, header);
        ASSERT_EQ(lines.size(), 65u);
        EXPECT_EQ(lines[0], blanks(12) + "Kopfzeile");
        EXPECT_EQ(lines[1], "");
        int filled = 0;
        for (size_t i = 2; i < 63; ++i) filled += lines[i].empty() ? 0 : 1;
        EXPECT_EQ(filled, textLines[page]);
        EXPECT_EQ(lines[2], blanks(12) + "Zeile " + std::to_string(page * 61 + 1));
        EXPECT_EQ(lines[63], "");
        EXPECT_EQ(lines[64], blanks(48) + "- " + std::to_string(page + 1) + " -");
    }
}

TEST(PageLines, WholePageOfTextLeavesAnEmptyLastPage) {
    const PageLayout layout = pageLayoutFor(10, "Courier New", false);
    const std::vector<std::string> buffer = numberedBuffer(layout, 63);
    ASSERT_EQ(pageCount(63, layout), 2);

    EXPECT_EQ(pageLines(layout, 0, buffer, "")[62], blanks(12) + "Zeile 63");
    std::vector<std::string> expected(64, "");
    expected.push_back(blanks(48) + "- 2 -");
    EXPECT_EQ(pageLines(layout, 1, buffer, ""), expected);
}

TEST(PageLines, EmptyTextGivesOneBlankPage) {
    const PageLayout layout = pageLayoutFor(15, "Courier New", true);
    ASSERT_EQ(pageCount(0, layout), 1);
    const std::string header = withMargin(layout, "Titel");

    std::vector<std::string> expected = {blanks(5) + "Titel", ""};
    expected.insert(expected.end(), 13, "");
    expected.push_back("");
    expected.push_back(blanks(20) + "- 1 -");
    EXPECT_EQ(pageLines(layout, 0, {}, header), expected);
}

}  // namespace
