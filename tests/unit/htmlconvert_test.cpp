#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "editing/htmlconvert.h"
#include "oracles/htmlreference.h"

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

// The definition the buttons are checked against.
TEST_P(HtmlConvert, BothButtonsStepByStep) {
    const HtmlCase& c = GetParam();
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

std::u16string convertRaw(std::u16string_view raw, HtmlConversion mode) {
    size_t breaks = 0;
    return convertRawInPieces(raw, mode, 16, breaks);
}

TEST(HtmlConvert, PressingReplTwiceConvertsAgain) {
    const std::u16string once = convertRaw(u"\u00E4\u2029", HtmlConversion::KeepTags);
    EXPECT_EQ(once, u"&auml;<BR>\u2029");
    EXPECT_EQ(convertRaw(once, HtmlConversion::KeepTags), u"&amp;auml;<BR><BR>\u2029");
}

// Random raw text, mostly made of the units the conversion cares about, so
// that neighbours such as CR CR LF or & next to an umlaut occur often.
std::u16string randomRawText(std::mt19937& random) {
    static const std::u16string special =
        u"&\u00C4\u00D6\u00DC\u00E4\u00F6\u00FC\u00DF\u00B0\u00A7\"<>\r\n\u2028\u2029\u20AC\u4E00\u0081ab;";
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(special.size()) - 1);
    std::uniform_int_distribution<int> anyUnit(1, 0xFFFF);
    std::bernoulli_distribution takeSpecial(0.8);
    std::u16string text(static_cast<size_t>(length(random)), u' ');
    for (char16_t& c : text) {
        c = takeSpecial(random) ? special[static_cast<size_t>(pick(random))] : static_cast<char16_t>(anyUnit(random));
    }
    return text;
}

// What the buttons do to the text window equals saving it, replacing step by
// step and loading the result, whatever room the first piece has.
TEST(HtmlConvert, ButtonsEqualStepByStepThroughTheFileOnRandomText) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 20000; ++round) {
        const std::u16string raw = randomRawText(random);
        const size_t firstRoom = static_cast<size_t>(round % 40);
        for (HtmlConversion mode : {HtmlConversion::KeepTags, HtmlConversion::All}) {
            size_t breaks = 0;
            const std::u16string converted = convertRawInPieces(raw, mode, firstRoom, breaks);
            ASSERT_EQ(converted, loadedRawText(convertToHtmlStepByStep(savedBytes(raw), mode)))
                << "round " << round << ", mode " << static_cast<int>(mode);
            ASSERT_EQ(breaks, static_cast<size_t>(std::count(converted.begin(), converted.end(), u'\u2029')));
            // Measured whole, or in two parts after a block separator, it is what the conversion wrote.
            const RawHtmlProgress whole = measureRawToHtml(raw, mode);
            ASSERT_EQ(whole.written, converted.size());
            const size_t split = raw.find(u'\u2029', raw.size() / 2);
            if (split == std::u16string::npos) continue;
            const std::u16string_view all(raw);
            const RawHtmlProgress parts = joined(measureRawToHtml(all.substr(0, split + 1), mode),
                                                 measureRawToHtml(all.substr(split + 1), mode));
            ASSERT_EQ(std::tie(parts.read, parts.written, parts.breaks, parts.lineStart, parts.longest, parts.ended),
                      std::tie(whole.read, whole.written, whole.breaks, whole.lineStart, whole.longest, whole.ended))
                << "round " << round;
        }
    }
}

}  // namespace
