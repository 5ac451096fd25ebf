#include <gtest/gtest.h>

#include <map>

#include "base/cp1252.h"

using namespace korvex;

namespace {

// Every byte's character encodes to that byte; every other code point,
// neighbours of the typographic ones in their Unicode pages included, to '?'.
TEST(Cp1252, EveryCodePointEncodesToItsByteOrAQuestionMark) {
    std::map<char32_t, int> byteOf;
    for (int b = 0; b < 256; ++b) byteOf[cp1252::toUnicode(static_cast<unsigned char>(b))] = b;
    ASSERT_EQ(byteOf.size(), 256u);
    int wrong = 0;
    for (char32_t c = 0; c < 0x110000; ++c) {
        const auto found = byteOf.find(c);
        const bool encodable = found != byteOf.end();
        wrong += cp1252::canEncode(c) != encodable;
        wrong += cp1252::fromUnicode(c) != (encodable ? found->second : '?');
    }
    EXPECT_EQ(wrong, 0);
}

TEST(Cp1252, KnownMappingsAndUndefinedBytes) {
    EXPECT_EQ(cp1252::toUnicode(0x80), u'\u20AC');
    EXPECT_EQ(cp1252::toUnicode(0x9F), u'\u0178');
    EXPECT_EQ(cp1252::toUnicode(0xE4), u'\u00E4');
    for (unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(cp1252::toUnicode(undefined), undefined);
    EXPECT_EQ(cp1252::fromUnicode(U'\u0080'), '?');  // the euro sign's byte is not U+0080
    EXPECT_EQ(cp1252::fromUnicode(U'\u4E2D'), '?');
    EXPECT_EQ(cp1252::fromUnicode(U'\U0001F600'), '?');
    EXPECT_FALSE(cp1252::canEncode(U'\u2028'));
}

TEST(Cp1252, Utf8Conversions) {
    EXPECT_EQ(cp1252::toUtf8("Gr\xF6\xDF"
                             "e \x80"),
              "Größe €");
    EXPECT_EQ(cp1252::fromUtf8("Größe €"),
              "Gr\xF6\xDF"
              "e \x80");
    EXPECT_EQ(cp1252::fromUtf8("中\xFF"), "??");
}

}  // namespace
