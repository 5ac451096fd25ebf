#include <gtest/gtest.h>

#include "base/cp1252.h"
#include "base/kxerror.h"
#include "base/textforms.h"

using namespace korvex;

namespace {

struct IntegerCase {
    const char* text;
    int32_t value;
};

class IntegerTextReads : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerTextReads, ToValue) { EXPECT_EQ(textToInteger(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(
    Accepted, IntegerTextReads,
    ::testing::Values(IntegerCase{"  100", 100}, IntegerCase{"+7", 7}, IntegerCase{"-42", -42},
                      IntegerCase{"$200", 512}, IntegerCase{"0x1F", 31}, IntegerCase{"x1F", 31}, IntegerCase{"X1f", 31},
                      IntegerCase{"0X1f", 31}, IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"$80000000", INT32_MIN},
                      IntegerCase{"$000000000000FF", 255}, IntegerCase{"2147483647", INT32_MAX},
                      IntegerCase{"-2147483648", INT32_MIN}, IntegerCase{"007", 7}, IntegerCase{"-0", 0}));

class IntegerTextFails : public ::testing::TestWithParam<const char*> {};

TEST_P(IntegerTextFails, WithGermanMessage) {
    const std::string text = GetParam();
    try {
        textToInteger(text);
        FAIL() << "accepted '" << text << "'";
    } catch (const KxError& e) {
        EXPECT_EQ(std::string(e.what()), "'" + cp1252::toUtf8(text) + "' ist kein gültiger Integerwert");
    }
}

INSTANTIATE_TEST_SUITE_P(Rejected, IntegerTextFails,
                         ::testing::Values("100 ", "", " ", "-", "+", "$", "0x", "x", "-$10", "+$10", "$100000000",
                                           "2147483648", "-2147483649", "\t5", "1e3", "12a", "$G", "0x-1",
                                           "99999999999999999999", "\xC4"));

TEST(IntegerText, WritesPlainDecimal) {
    EXPECT_EQ(integerToText(0), "0");
    EXPECT_EQ(integerToText(658), "658");
    EXPECT_EQ(integerToText(-71), "-71");
    EXPECT_EQ(integerToText(INT32_MIN), "-2147483648");
}

TEST(ColourText, NamesAndHexForms) {
    EXPECT_EQ(colourToText(colours::MoneyGreen), "clMoneyGreen");
    EXPECT_EQ(colourToText(Colour::fromRgb(1, 2, 3)), "$00030201");
    EXPECT_EQ(colourToText(Colour::fromRgb(0x56, 0x34, 0x12)), "$00123456");
    EXPECT_EQ(textToColour("$00123456"), Colour::fromRgb(0x56, 0x34, 0x12));
    EXPECT_EQ(textToColour("CLMONEYGREEN"), colours::MoneyGreen);
    EXPECT_EQ(textToColour("clmoneygreen"), colours::MoneyGreen);
    EXPECT_EQ(textToColour("$00C0DCC0"), colours::MoneyGreen);
    EXPECT_EQ(textToColour("12639424"), colours::MoneyGreen);
    EXPECT_THROW(textToColour("green"), KxError);
    EXPECT_THROW(textToColour(" clMoneyGreen"), KxError);
    EXPECT_THROW(textToColour("clMoneyGreen "), KxError);
}

TEST(ColourText, WholeTableRoundTripsInOrder) {
    const auto table = colourNames();
    ASSERT_EQ(table.size(), 49u);
    EXPECT_STREQ(table.front().name, "clBlack");
    EXPECT_STREQ(table[16].name, "clMoneyGreen");
    EXPECT_STREQ(table[29].name, "clDefault");
    EXPECT_STREQ(table[42].name, "clNone");
    EXPECT_STREQ(table.back().name, "clWindowText");
    for (const NamedColour& named : table) {
        EXPECT_EQ(colourToText(named.colour), named.name);
        EXPECT_EQ(textToColour(named.name), named.colour) << named.name;
        EXPECT_EQ(textToColour(colourToText(Colour(named.colour.value ^ 1u))), Colour(named.colour.value ^ 1u));
    }
}

}  // namespace
