#include <gtest/gtest.h>

#include <random>
#include <string>

#include "editing/htmlconvert.h"

using namespace korvex;

namespace {

struct HtmlCase {
    const char* name;
    std::string text;
    std::string keepTags;
    std::string all;
};

void PrintTo(const HtmlCase& c, std::ostream* os) { *os << c.name; }

class HtmlConvert : public ::testing::TestWithParam<HtmlCase> {};

TEST_P(HtmlConvert, BothButtonsOnePassAndStepByStep) {
    const HtmlCase& c = GetParam();
    EXPECT_EQ(convertToHtml(c.text, HtmlConversion::KeepTags), c.keepTags);
    EXPECT_EQ(convertToHtml(c.text, HtmlConversion::All), c.all);
    EXPECT_EQ(convertToHtmlStepByStep(c.text, HtmlConversion::KeepTags), c.keepTags);
    EXPECT_EQ(convertToHtmlStepByStep(c.text, HtmlConversion::All), c.all);
}

// Source is UTF-8, so the Windows-1252 letters are written as escapes.
INSTANTIATE_TEST_SUITE_P(
    Cases, HtmlConvert,
    ::testing::Values(HtmlCase{"Empty", "", "", ""},
                      HtmlCase{"GermanLetters",
                               "Gr\xF6\xDF"
                               "e & Ma\xDF",
                               "Gr&ouml;&szlig;e &amp; Ma&szlig;", "Gr&ouml;&szlig;e &amp; Ma&szlig;"},
                      HtmlCase{"EveryEntity", "\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xB0\xA7\"&",
                               "&Auml;&Ouml;&Uuml;&auml;&ouml;&uuml;&szlig;&deg;&sect;&quot;&amp;",
                               "&Auml;&Ouml;&Uuml;&auml;&ouml;&uuml;&szlig;&deg;&sect;&quot;&amp;"},
                      HtmlCase{"Tags", "<b>\xC4</b>", "<b>&Auml;</b>", "&lt;b&gt;&Auml;&lt;/b&gt;"},
                      HtmlCase{"LineBreak", "a\r\nb", "a<BR>\r\nb", "a<BR>\r\nb"},
                      HtmlCase{"FinalLineBreak", "a\r\n", "a<BR>\r\n", "a<BR>\r\n"},
                      HtmlCase{"EmptyLines", "\r\n\r\n", "<BR>\r\n<BR>\r\n", "<BR>\r\n<BR>\r\n"},
                      HtmlCase{"LoneCrAndLf", "a\rb\nc\n\rd", "a\rb\nc\n\rd", "a\rb\nc\n\rd"},
                      HtmlCase{"CrBeforeBreak", "\r\r\n", "\r<BR>\r\n", "\r<BR>\r\n"},
                      HtmlCase{"OtherBytesStay", "caf\xE9 \x80 ~\x01", "caf\xE9 \x80 ~\x01", "caf\xE9 \x80 ~\x01"},
                      HtmlCase{"ExistingEntityIsEscapedAgain", "&auml;", "&amp;auml;", "&amp;auml;"}),
    [](const ::testing::TestParamInfo<HtmlCase>& info) { return std::string(info.param.name); });

TEST(HtmlConvert, PressingReplTwiceConvertsAgain) {
    const std::string once = convertToHtml("\xE4\r\n", HtmlConversion::KeepTags);
    EXPECT_EQ(once, "&auml;<BR>\r\n");
    EXPECT_EQ(convertToHtml(once, HtmlConversion::KeepTags), "&amp;auml;<BR><BR>\r\n");
}

// Random text, mostly made of the bytes the conversion cares about, so that
// neighbours such as CR CR LF or & next to an umlaut occur often.
std::string randomText(std::mt19937& random) {
    static const std::string special = "&\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xB0\xA7\"<>\r\n\r\nab;";
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(special.size()) - 1);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::bernoulli_distribution takeSpecial(0.8);
    std::string text(static_cast<size_t>(length(random)), ' ');
    for (char& c : text) {
        c = takeSpecial(random) ? special[static_cast<size_t>(pick(random))] : static_cast<char>(anyByte(random));
    }
    return text;
}

TEST(HtmlConvert, OnePassEqualsStepByStepOnRandomText) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 20000; ++round) {
        const std::string text = randomText(random);
        for (HtmlConversion mode : {HtmlConversion::KeepTags, HtmlConversion::All}) {
            ASSERT_EQ(convertToHtml(text, mode), convertToHtmlStepByStep(text, mode))
                << "round " << round << ", mode " << static_cast<int>(mode);
        }
    }
}

}  // namespace
