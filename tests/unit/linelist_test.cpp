// The line list's rules over a plain wrapped text.
#include <gtest/gtest.h>

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

}  // namespace
