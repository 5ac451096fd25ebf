// The document file shape and the header block found among the display lines.
#include <gtest/gtest.h>

#include "document/docformat.h"
#include "oracles/wrappedtext.h"

using namespace korvex;

namespace {

TEST(DocumentFile, ShapesWithAndWithoutHeader) {
    EXPECT_EQ(composeDocument("", "Text\r\n"), "Text\r\n");
    EXPECT_EQ(composeDocument("Betrifft:", ""), "Betrifft:\r\n#kopf#\r\n");
    EXPECT_EQ(composeDocument("K", "a\r\nb"), "K\r\n#kopf#\r\na\r\nb");
}

struct HeaderCase {
    const char* name;
    std::string file;
    size_t width;
    std::optional<std::string> header;
    std::string textAfter;
};

class HeaderBlock : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderBlock, IsFoundAndRemoved) {
    WrappedText lines(GetParam().file, GetParam().width);
    EXPECT_EQ(takeHeaderBlock(lines), GetParam().header);
    EXPECT_EQ(lines.text(), GetParam().textAfter);
}

std::string linesOf(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "z" + std::to_string(i) + "\r\n";
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeaderBlock,
    ::testing::Values(
        HeaderCase{"SecondLine", "Kopf\r\n#kopf#\r\nText", 0, "Kopf", "Text"},
        HeaderCase{"FirstLineIsPlainText", "#kopf#\r\nText", 0, std::nullopt, "#kopf#\r\nText"},
        HeaderCase{"Capitals", "Kopf\r\n#KOPF#\r\nText", 0, std::nullopt, "Kopf\r\n#KOPF#\r\nText"},
        HeaderCase{"TrailingBlank", "Kopf\r\n#kopf# \r\nText", 0, std::nullopt, "Kopf\r\n#kopf# \r\nText"},
        HeaderCase{"WrappedHeaderIsJoined", "aaaa bbbb cccc\r\n#kopf#\r\nT", 6, "aaaa bbbb cccc", "T"},
        HeaderCase{"OnLine19", linesOf(19) + "#kopf#\r\nT", 0,
                   [] {
                       std::string h;
                       for (int i = 0; i < 19; ++i) h += "z" + std::to_string(i);
                       return h;
                   }(),
                   "T"},
        HeaderCase{"OnLine20IsTooLate", linesOf(20) + "#kopf#\r\nT", 0, std::nullopt, linesOf(20) + "#kopf#\r\nT"},
        HeaderCase{"OnLine25", linesOf(25) + "#kopf#", 0, std::nullopt, linesOf(25) + "#kopf#"},
        HeaderCase{"LongHeaderCutTo100", std::string(130, 'h') + "\r\n#kopf#\r\n", 0, std::string(100, 'h'), ""},
        HeaderCase{"OnlyTheFirstMarkerCounts", "#kopf#\r\nKopf\r\n#kopf#\r\n", 0, std::nullopt,
                   "#kopf#\r\nKopf\r\n#kopf#\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
