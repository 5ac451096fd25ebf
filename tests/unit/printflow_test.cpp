// Where line-printer text lands: advance, cutting, tab stops, control
// characters and sheet breaks, measured with a made-up font.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/printflow.h"

using namespace korvex;

namespace {

// 10 pixels a character, except 'i' with 7 and 'j' with 8, so positions off the tab grid occur.
int measure(std::u16string_view text) {
    int width = 0;
    for (const char16_t c : text) width += c == u'i' ? 7 : c == u'j' ? 8 : 10;
    return width;
}

// Steps as "x,y:text" and "|" for a new sheet, joined by blanks.
std::string render(const std::vector<std::vector<FlowStep>>& lines) {
    std::string out;
    for (const auto& steps : lines) {
        for (const FlowStep& step : steps) {
            if (!out.empty()) out += ' ';
            if (step.kind == FlowStep::Kind::NewSheet) {
                out += '|';
            } else {
                out += std::to_string(step.x) + ',' + std::to_string(step.y) + ':';
                for (const char16_t c : step.text) out += static_cast<char>(c);
            }
        }
    }
    return out;
}

struct FlowCase {
    const char* name;
    int width;
    int height;
    std::vector<std::u16string> lines;
    std::string expected;
};

// Line height 10 (12 after a line with text), average character 2 (tab stops every 16).
class Flow : public ::testing::TestWithParam<FlowCase> {};

TEST_P(Flow, PlacesTextLikeALinePrinter) {
    PrintFlow flow(GetParam().width, GetParam().height, FlowMetrics{10, 2});
    std::vector<std::vector<FlowStep>> steps;
    for (const std::u16string& line : GetParam().lines) steps.push_back(flow.writeLine(line, measure));
    EXPECT_EQ(render(steps), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Flow,
    ::testing::Values(
        // Text lines advance by height + 2, empty lines by the height alone.
        FlowCase{"Advance", 200, 1000, {u"ab", u"", u"cd", u"ef"}, "0,0:ab 0,22:cd 0,34:ef"},
        // Cut after the last whole character that fits, as often as needed.
        FlowCase{"Cut", 50, 1000, {u"abcdefghijkl", u"z"}, "0,0:abcde 0,12:fghij 0,24:kl 0,36:z"},
        FlowCase{"CutAfterTab", 50, 1000, {u"\tabcd"}, "16,0:abc 0,12:d"},
        // The next stop beyond position + 1: from 7 it is 16, from 15 it is 32.
        FlowCase{"TabStops", 200, 1000, {u"\ta", u"i\tb", u"ij\tc"}, "16,0:a 0,12:i 16,12:b 0,24:ij 32,24:c"},
        // A stop beyond the printable width begins a new line.
        FlowCase{"TabPastWidth", 40, 1000, {u"abc\td"}, "0,0:abc 0,12:d"},
        FlowCase{"ControlCharacters", 200, 1000, {u"a\r\rb\nc", u"d\fe"}, "0,0:ab 0,12:c 0,24:d | 0,0:e"},
        // A line that ends below height - 2 x 12 ends the sheet; an empty line only past the height.
        FlowCase{"SheetBreak", 200, 50, {u"1", u"2", u"3", u"4"}, "0,0:1 0,12:2 0,24:3 | 0,0:4"},
        FlowCase{"EmptyLinesFillTheSheet", 200, 50, {u"", u"", u"", u"", u"", u"x", u"", u"y"}, "0,50:x | 0,10:y"},
        // No blank sheet at the end, nor a lost character wider than the sheet.
        FlowCase{"NoTrailingSheet", 200, 50, {u"1", u"2", u"3"}, "0,0:1 0,12:2 0,24:3"},
        FlowCase{"CharacterWiderThanSheet", 5, 1000, {u"ab"}, "0,0:a 0,12:b"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Flow, NewMetricsApplyToTheFollowingLines) {
    PrintFlow flow(200, 1000, FlowMetrics{10, 2});
    std::vector<std::vector<FlowStep>> steps{flow.writeLine(u"a\tb", measure)};
    flow.setMetrics(FlowMetrics{20, 4});
    steps.push_back(flow.writeLine(u"c\td", measure));
    steps.push_back(flow.writeLine(u"e", measure));
    EXPECT_EQ(render(steps), "0,0:a 16,0:b 0,12:c 32,12:d 0,34:e");
}

}  // namespace
