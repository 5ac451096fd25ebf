// The line list's rules over a plain wrapped text, and the display-line index.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "base/displaylineindex.h"
#include "oracles/loadedtext.h"
#include "oracles/wrappedtext.h"

using namespace korvex;

namespace {

TEST(WrappedText, WrapsAtBlanksWhichHangAndBreaksLongWordsAnywhere) {
    WrappedText text("aaa bbb ccc", 5);
    ASSERT_EQ(text.count(), 3);
    EXPECT_EQ(text.get(0), "aaa ");
    EXPECT_EQ(text.get(1), "bbb ");
    EXPECT_EQ(text.get(2), "ccc");
    text.setText("abcdefghijkl");
    ASSERT_EQ(text.count(), 3);
    EXPECT_EQ(text.get(2), "kl");
}

TEST(LineList, CountLeavesOutTheEmptyLineAfterAFinalBreak) {
    EXPECT_EQ(WrappedText("").count(), 0);
    EXPECT_EQ(WrappedText("\r\n").count(), 1);
    EXPECT_EQ(WrappedText("a\r\n").count(), 1);
    EXPECT_EQ(WrappedText("a\r\n\r\nb").count(), 3);
}

TEST(LineList, GetCutsLongLinesAt4096) {
    WrappedText text(std::string(5000, 'x') + "\r\ny");
    EXPECT_EQ(text.get(0), std::string(4096, 'x'));
    EXPECT_EQ(text.get(1), "y");
    EXPECT_EQ(text.get(2), "");
    EXPECT_EQ(text.characterCount(), 5001);
}

TEST(LineList, InsertAddAndRemoveOnWrappedLines) {
    WrappedText text("aaa bbb ccc\r\nzz", 5);
    text.insert(1, "N");  // at the start of the second display line, inside the hard line
    EXPECT_EQ(text.text(), "aaa N\r\nbbb ccc\r\nzz");
    text.remove(0);  // up to the first character of the next display line
    EXPECT_EQ(text.text(), "bbb ccc\r\nzz");
    text.remove(0);  // a wrapped display line: the rest of its hard line stays
    EXPECT_EQ(text.text(), "ccc\r\nzz");
    text.remove(1);  // the last line: the break in front of it stays
    EXPECT_EQ(text.text(), "ccc\r\n");
    text.add("end");
    EXPECT_EQ(text.text(), "ccc\r\nend\r\n");
    text.insert(99, "never");
    EXPECT_EQ(text.text(), "ccc\r\nend\r\n");
}

TEST(LineList, EmptyMeansOnlyLineBreaks) {
    EXPECT_TRUE(WrappedText("").isDocumentEmpty());
    EXPECT_TRUE(WrappedText("\r\n\r\n").isDocumentEmpty());
    EXPECT_FALSE(WrappedText("\r\n \r\n").isDocumentEmpty());
}

TEST(LoadedText, LoneBreaksBecomeCrLfAndNulEndsTheText) {
    EXPECT_EQ(normalizeLoadedText("a\rb\nc\r\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(normalizeLoadedText("\r\r\n\n"), "\r\n\r\n\r\n");
    EXPECT_EQ(normalizeLoadedText(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(normalizeLoadedText(std::string("\0", 1)), "");
}

// The index against a plain vector of counts under random edits: half of
// them at one place, growing the middle first (chunks split), then
// shrinking the end (chunks empty).
TEST(DisplayLineIndex, AgreesWithPlainSumsUnderRandomEdits) {
    std::mt19937 random(7);
    std::vector<int> model(3000);
    for (int& c : model) c = 1 + static_cast<int>(random() % 4);
    DisplayLineIndex index;
    index.assign(model);
    for (int step = 0; step < 3000; ++step) {
        const bool growing = step < 1500;
        const int size = static_cast<int>(model.size());
        const int wanted = static_cast<int>(random() % (growing ? 2 : 6));
        const int local = growing ? size / 3 + static_cast<int>(random() % 8) : size - wanted;
        const int first = std::clamp(step % 2 ? local : static_cast<int>(random() % (model.size() + 1)), 0, size);
        const int removed = std::min(wanted, size - first);
        std::vector<int> added(random() % (step % 500 == 0 ? 1500 : growing ? 6 : 2));
        for (int& c : added) c = 1 + static_cast<int>(random() % 5);
        model.erase(model.begin() + first, model.begin() + first + removed);
        model.insert(model.begin() + first, added.begin(), added.end());
        index.replace(first, removed, added);
        ASSERT_EQ(index.blockCount(), static_cast<int>(model.size()));
        const int probe = model.empty() ? 0 : static_cast<int>(random() % model.size());
        int64_t before = 0;
        for (int i = 0; i < probe; ++i) before += model[static_cast<size_t>(i)];
        ASSERT_EQ(index.linesBefore(probe), before);
        if (!model.empty()) {
            ASSERT_EQ(index.linesOf(probe), model[static_cast<size_t>(probe)]);
            const auto place = index.locate(before + model[static_cast<size_t>(probe)] - 1);
            ASSERT_EQ(place.block, probe);
            ASSERT_EQ(place.lineInBlock, model[static_cast<size_t>(probe)] - 1);
        }
    }
    int64_t total = 0;
    for (int b = 0; b < static_cast<int>(model.size()); ++b) {
        ASSERT_EQ(index.linesBefore(b), total);
        total += model[static_cast<size_t>(b)];
    }
    EXPECT_EQ(index.totalLines(), total);
    EXPECT_THROW(index.locate(total), std::out_of_range);
}

}  // namespace
