#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/textforms.h"
#include "oracles/defaultsettings.h"
#include "settings/settingsfile.h"

using namespace korvex;

namespace {

// Notes every step in order and keeps the resulting settings as a record.
class RecordingTarget : public SettingsTarget {
public:
    explicit RecordingTarget(SettingsRecord start = {}) : state(std::move(start)) {}

    void setWindowTop(int32_t v) override { note("top " + integerToText(state.top = v)); }
    void setWindowLeft(int32_t v) override { note("left " + integerToText(state.left = v)); }
    void setWindowHeight(int32_t v) override { note("height " + integerToText(state.height = v)); }
    void setWindowWidth(int32_t v) override { note("width " + integerToText(state.width = v)); }
    void setWindowColour(Colour c) override { note("window " + colourToText(state.windowColour = c)); }
    void setFontName(std::string name) override { note("font " + (state.fontName = name)); }
    void setFontSize(int32_t v) override { note("size " + integerToText(state.fontSize = v)); }
    void setFontStyle(FontStyle s) override { note("style " + styleToText(state.style = s)); }
    void setFontColour(Colour c) override { note("fontColour " + colourToText(state.fontColour = c)); }
    void setOpenDir(std::string dir) override { note("open " + (state.openDir = dir)); }
    void setSaveDir(std::string dir) override { note("save " + (state.saveDir = dir)); }
    void headerTakesTextWindowFont() override { note("header"); }

    std::vector<std::string> calls;
    SettingsRecord state;

private:
    void note(std::string call) { calls.push_back(std::move(call)); }
};

std::string joined(const std::vector<std::string>& lines, const std::string& ending = "\r\n") {
    std::string out;
    for (const std::string& line : lines) out += line + ending;
    return out;
}

// A valid file followed by lines the reader must never look at.
const std::vector<std::string> kSampleLines = {"Korvex-V2.3 INI:",
                                               ">> Top, Left, Height, Width:",
                                               "10",
                                               "20",
                                               "30",
                                               "40",
                                               ">> Color, Font, FontSize, FettKursiv, FontColor:",
                                               "clYellow",
                                               "Arial",
                                               "12",
                                               "bold------",
                                               "$00123456",
                                               "C:\\Texte",
                                               "D:\\Ablage",
                                               "EndOfFile",
                                               "junk",
                                               "$$$",
                                               "",
                                               "-",
                                               "zzz"};

const std::vector<std::string> kSampleCalls = {"top 10",         "left 20",          "height 30",
                                               "width 40",       "window clYellow",  "font Arial",
                                               "size 12",        "style bold------", "fontColour $00123456",
                                               "open C:\\Texte", "save D:\\Ablage",  "header"};

std::vector<std::string> firstLines(size_t count) { return {kSampleLines.begin(), kSampleLines.begin() + count}; }

std::vector<std::string> firstCalls(size_t count) { return {kSampleCalls.begin(), kSampleCalls.begin() + count}; }

struct ReadOutcome {
    std::vector<std::string> calls;
    SettingsReadResult result;
};

ReadOutcome readLines(const std::vector<std::string>& lines) {
    RecordingTarget target;
    const SettingsReadResult result = readSettings(joined(lines), target);
    return {target.calls, result};
}

// ---- line splitting ----

struct SplitCase {
    std::string bytes;
    std::vector<std::string> lines;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.bytes); }

class SplitLines : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLines, AtEveryKindOfLineEnd) { EXPECT_EQ(splitSettingsLines(GetParam().bytes), GetParam().lines); }

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Bytes, SplitLines,
    ::testing::Values(
        SplitCase{"", {}}, SplitCase{"a", {"a"}}, SplitCase{"a\r\n", {"a"}}, SplitCase{"a\r\nb", {"a", "b"}},
        SplitCase{"a\rb\nc\r\n", {"a", "b", "c"}}, SplitCase{"a\r", {"a"}}, SplitCase{"a\n", {"a"}},
        SplitCase{"a\n\rb", {"a", "", "b"}}, SplitCase{"a\r\r\nb", {"a", "", "b"}}, SplitCase{"a\n\n", {"a", ""}},
        SplitCase{"\r\n", {""}}, SplitCase{"\r\n\r\n", {"", ""}}, SplitCase{"\n", {""}}, SplitCase{"a\0b\r\nc"s, {"a"}},
        SplitCase{"\0abc"s, {}}, SplitCase{"a\r\n\0\r\nb"s, {"a"}}, SplitCase{" x \r\n\ty\t", {" x ", "\ty\t"}}));

// ---- style text ----

TEST(StyleText, WritesTenCharacters) {
    EXPECT_EQ(styleToText({false, false}), "----------");
    EXPECT_EQ(styleToText({true, false}), "bold------");
    EXPECT_EQ(styleToText({false, true}), "----italic");
    EXPECT_EQ(styleToText({true, true}), "bolditalic");
}

struct StyleCase {
    const char* text;
    std::optional<FontStyle> style;
};

class StyleReads : public ::testing::TestWithParam<StyleCase> {};

TEST_P(StyleReads, OnlyTheExactMarkedForms) { EXPECT_EQ(textToStyle(GetParam().text), GetParam().style); }

INSTANTIATE_TEST_SUITE_P(
    Texts, StyleReads,
    ::testing::Values(StyleCase{"bold------", FontStyle{true, false}}, StyleCase{"----italic", FontStyle{false, true}},
                      StyleCase{"bolditalic", FontStyle{true, true}}, StyleCase{"----------", std::nullopt},
                      StyleCase{"BOLD------", std::nullopt}, StyleCase{"Bolditalic", std::nullopt},
                      StyleCase{"bold", std::nullopt}, StyleCase{"bold------ ", std::nullopt},
                      StyleCase{" bold------", std::nullopt}, StyleCase{"", std::nullopt}));

// ---- reading: outcome by number of lines ----

struct LineCountCase {
    size_t lineCount;
    const char* line12;  // replaces line 12 when set
    SettingsReadResult result;
    std::vector<std::string> calls;
};

void PrintTo(const LineCountCase& c, std::ostream* os) {
    *os << c.lineCount << " lines" << (c.line12 ? std::string(", line 12 ") + c.line12 : "");
}

class ReadByLineCount : public ::testing::TestWithParam<LineCountCase> {};

TEST_P(ReadByLineCount, AppliesUpToTheFirstMissingLine) {
    const LineCountCase& c = GetParam();
    std::vector<std::string> lines = firstLines(c.lineCount);
    if (c.line12) lines[12] = c.line12;
    const ReadOutcome outcome = readLines(lines);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.calls, c.calls);
}

std::vector<std::string> withHeaderStep(std::vector<std::string> calls) {
    calls.push_back("header");
    return calls;
}

INSTANTIATE_TEST_SUITE_P(
    Counts, ReadByLineCount,
    ::testing::Values(LineCountCase{0, nullptr, SettingsReadResult::Damaged, {}},
                      LineCountCase{2, nullptr, SettingsReadResult::Damaged, {}},
                      LineCountCase{3, nullptr, SettingsReadResult::Damaged, firstCalls(1)},
                      LineCountCase{6, nullptr, SettingsReadResult::Damaged, firstCalls(4)},
                      LineCountCase{7, nullptr, SettingsReadResult::Damaged, firstCalls(4)},
                      LineCountCase{8, nullptr, SettingsReadResult::Damaged, firstCalls(5)},
                      LineCountCase{11, nullptr, SettingsReadResult::Damaged, firstCalls(8)},
                      LineCountCase{12, nullptr, SettingsReadResult::Damaged, firstCalls(9)},
                      LineCountCase{13, nullptr, SettingsReadResult::Damaged, firstCalls(10)},
                      LineCountCase{13, "EndOfFile", SettingsReadResult::Complete, withHeaderStep(firstCalls(9))},
                      LineCountCase{14, nullptr, SettingsReadResult::Complete, firstCalls(12)},
                      LineCountCase{20, nullptr, SettingsReadResult::Complete, firstCalls(12)}));

// ---- reading: single lines ----

struct LineCase {
    size_t index;
    std::string text;
    SettingsReadResult result;
    std::vector<std::string> calls;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << "line " << c.index << " = " << ::testing::PrintToString(c.text);
}

class ReadWithLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ReadWithLine, ReplacedInTheSample) {
    std::vector<std::string> lines = firstLines(15);
    lines[GetParam().index] = GetParam().text;
    const ReadOutcome outcome = readLines(lines);
    EXPECT_EQ(outcome.result, GetParam().result);
    EXPECT_EQ(outcome.calls, GetParam().calls);
}

std::vector<std::string> sampleCallsWith(size_t index, const std::string& call) {
    std::vector<std::string> calls = kSampleCalls;
    calls[index] = call;
    return calls;
}

std::vector<std::string> sampleCallsWithout(size_t index) {
    std::vector<std::string> calls = kSampleCalls;
    calls.erase(calls.begin() + static_cast<std::ptrdiff_t>(index));
    return calls;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ReadWithLine,
    ::testing::Values(
        LineCase{2, "  100", SettingsReadResult::Complete, sampleCallsWith(0, "top 100")},
        LineCase{2, "100 ", SettingsReadResult::Damaged, {}}, LineCase{2, "", SettingsReadResult::Damaged, {}},
        LineCase{3, "-5", SettingsReadResult::Complete, sampleCallsWith(1, "left -5")},
        LineCase{4, "$200", SettingsReadResult::Complete, sampleCallsWith(2, "height 512")},
        LineCase{5, "vierzig", SettingsReadResult::Damaged, firstCalls(3)},
        LineCase{7, "CLMONEYGREEN", SettingsReadResult::Complete, sampleCallsWith(4, "window clMoneyGreen")},
        LineCase{7, "$00C0DCC0", SettingsReadResult::Complete, sampleCallsWith(4, "window clMoneyGreen")},
        LineCase{7, "green", SettingsReadResult::Damaged, firstCalls(4)},
        LineCase{8, "", SettingsReadResult::Complete, sampleCallsWithout(5)},
        LineCase{8, "1234567890123456789012345678901234567890", SettingsReadResult::Complete,
                 sampleCallsWith(5, "font 1234567890123456789012345678901")},
        LineCase{8, "1234567890123456789012345678901", SettingsReadResult::Complete,
                 sampleCallsWith(5, "font 1234567890123456789012345678901")},
        LineCase{9, "12.5", SettingsReadResult::Damaged, firstCalls(6)},
        LineCase{10, "BOLD------", SettingsReadResult::Complete, sampleCallsWithout(7)},
        LineCase{10, "----------", SettingsReadResult::Complete, sampleCallsWithout(7)},
        LineCase{10, "----italic", SettingsReadResult::Complete, sampleCallsWith(7, "style ----italic")},
        LineCase{11, "", SettingsReadResult::Damaged, firstCalls(8)},
        LineCase{12, "", SettingsReadResult::Complete, sampleCallsWith(9, "open ")},
        LineCase{13, "EndOfFile", SettingsReadResult::Complete, sampleCallsWith(10, "save EndOfFile")},
        LineCase{0, "", SettingsReadResult::Complete, kSampleCalls},
        LineCase{1, "$$$", SettingsReadResult::Complete, kSampleCalls},
        LineCase{6, "sechs", SettingsReadResult::Complete, kSampleCalls},
        LineCase{14, "nichts", SettingsReadResult::Complete, kSampleCalls}));

TEST(ReadSettings, EndMarkerInOtherCaseIsAnOpenFolder) {
    std::vector<std::string> lines = firstLines(13);
    lines[12] = "endoffile";
    std::vector<std::string> expected = firstCalls(9);
    expected.push_back("open endoffile");
    EXPECT_EQ(readLines(lines).calls, expected);
    EXPECT_EQ(readLines(lines).result, SettingsReadResult::Damaged);

    lines.push_back("D:\\Ablage");
    expected.push_back("save D:\\Ablage");
    expected.push_back("header");
    EXPECT_EQ(readLines(lines).calls, expected);
    EXPECT_EQ(readLines(lines).result, SettingsReadResult::Complete);
}

TEST(ReadSettings, AnyLineEndsWork) {
    for (const std::string ending : {"\r", "\n", "\r\n"}) {
        SCOPED_TRACE(::testing::PrintToString(ending));
        RecordingTarget target;
        EXPECT_EQ(readSettings(joined(firstLines(15), ending), target), SettingsReadResult::Complete);
        EXPECT_EQ(target.calls, kSampleCalls);
    }
    std::string mixed;
    const char* endings[] = {"\r", "\n", "\r\n"};
    for (size_t i = 0; i < 15; ++i) mixed += kSampleLines[i] + endings[i % 3];
    RecordingTarget target;
    EXPECT_EQ(readSettings(mixed, target), SettingsReadResult::Complete);
    EXPECT_EQ(target.calls, kSampleCalls);
}

TEST(ReadSettings, NulByteEndsTheContent) {
    const std::string bytes = joined(firstLines(12)) + '\0' + joined({"C:\\Texte", "D:\\Ablage", "EndOfFile"});
    RecordingTarget target;
    EXPECT_EQ(readSettings(bytes, target), SettingsReadResult::Damaged);
    EXPECT_EQ(target.calls, firstCalls(9));
}

TEST(ReadSettings, ReadColoursAreWrittenBackByName) {
    std::vector<std::string> lines = firstLines(15);
    lines[7] = "CLMONEYGREEN";
    lines[11] = "$00C0DCC0";
    RecordingTarget target;
    ASSERT_EQ(readSettings(joined(lines), target), SettingsReadResult::Complete);
    EXPECT_EQ(target.state.windowColour, colours::MoneyGreen);
    EXPECT_EQ(target.state.fontColour, colours::MoneyGreen);
    const std::vector<std::string> written = splitSettingsLines(composeSettings(target.state));
    ASSERT_EQ(written.size(), 15u);
    EXPECT_EQ(written[7], "clMoneyGreen");
    EXPECT_EQ(written[11], "clMoneyGreen");
}

TEST(ReadSettings, HexColourRoundTrip) {
    RecordingTarget target;
    ASSERT_EQ(readSettings(joined(firstLines(15)), target), SettingsReadResult::Complete);
    EXPECT_EQ(target.state.fontColour, Colour::fromRgb(0x56, 0x34, 0x12));
    EXPECT_EQ(splitSettingsLines(composeSettings(target.state))[11], "$00123456");
}

// ---- writing ----

TEST(ComposeSettings, DefaultsGiveTheFifteenLines) {
    const std::string expected =
        "Korvex-V2.3 INI:\r\n"
        ">> Top, Left, Height, Width:\r\n"
        "71\r\n214\r\n658\r\n660\r\n"
        ">> Color, Font, FontSize, FettKursiv, FontColor:\r\n"
        "clMoneyGreen\r\nCourier New\r\n10\r\n----------\r\nclWindowText\r\n"
        "\r\n\r\n"
        "EndOfFile\r\n";
    EXPECT_EQ(composeSettings(kDefaultSettings), expected);
}

TEST(ComposeSettings, WritesValuesAsTheyStand) {
    const SettingsRecord record{-3,
                                0,
                                2147483647,
                                -2147483648,
                                Colour(0x80000005),
                                "Comic Sans MS",
                                72,
                                {false, true},
                                Colour(0x00ABCDEF),
                                "C:\\\xC4rger",
                                "\\\\server\\share"};
    const std::vector<std::string> expected = {"Korvex-V2.3 INI:",
                                               ">> Top, Left, Height, Width:",
                                               "-3",
                                               "0",
                                               "2147483647",
                                               "-2147483648",
                                               ">> Color, Font, FontSize, FettKursiv, FontColor:",
                                               "clWindow",
                                               "Comic Sans MS",
                                               "72",
                                               "----italic",
                                               "$00ABCDEF",
                                               "C:\\\xC4rger",
                                               "\\\\server\\share",
                                               "EndOfFile"};
    EXPECT_EQ(composeSettings(record), joined(expected));
}

TEST(ComposeSettings, ValuesThatWouldBreakTheirLineAreWrittenEmpty) {
    SettingsRecord record = kDefaultSettings;
    record.fontName = std::string("Zwei\rZeilen");
    record.openDir = "/home/a\nb/";
    record.saveDir = std::string("/nul\0/", 6);
    const std::vector<std::string> lines = splitSettingsLines(composeSettings(record));
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[8], "");
    EXPECT_EQ(lines[12], "");
    EXPECT_EQ(lines[13], "");
    EXPECT_EQ(lines[14], "EndOfFile");
}

TEST(SettingsFolder, KeptOnlyWhenTheCodePageHoldsEveryCharacter) {
    EXPECT_EQ(settingsFolder(u"C:\\\u00C4rger\\"), "C:\\\xC4rger\\");
    EXPECT_EQ(settingsFolder(u"/home/\u20AC/"), "/home/\x80/");
    EXPECT_EQ(settingsFolder(u"/home/\u0394/"), "");
    EXPECT_EQ(settingsFolder(u"/home/\U0001F600/"), "");
    EXPECT_EQ(settingsFolder(u""), "");
}

class RoundTrip : public ::testing::TestWithParam<SettingsRecord> {};

TEST_P(RoundTrip, ComposeReadComposeIsByteIdentical) {
    const std::string first = composeSettings(GetParam());
    RecordingTarget target(SettingsRecord{1, 2, 3, 4, colours::Black, "Start", 5, {}, colours::Black, "a", "b"});
    ASSERT_EQ(readSettings(first, target), SettingsReadResult::Complete);
    EXPECT_EQ(target.state, GetParam());
    EXPECT_EQ(composeSettings(target.state), first);
    EXPECT_EQ(target.calls.back(), "header");
}

INSTANTIATE_TEST_SUITE_P(
    Records, RoundTrip,
    ::testing::Values(
        SettingsRecord{
            71, 214, 658, 660, colours::MoneyGreen, "Courier New", 10, {true, false}, colours::WindowText, "x", "y"},
        SettingsRecord{0,
                       -20,
                       1,
                       99999,
                       colours::Cream,
                       "Arial",
                       9,
                       {true, true},
                       colours::SkyBlue,
                       "C:\\Texte",
                       "C:\\\xC4nderungen"},
        SettingsRecord{-2147483647 - 1,
                       2147483647,
                       0,
                       0,
                       Colour(0x00123456),
                       "Lucida 31 Zeichen langer Name!!",
                       20,
                       {false, true},
                       Colour(0x80000012),
                       "D:\\",
                       "D:\\"},
        SettingsRecord{5, 5, 5, 5, colours::Default, "Tahoma", 14, {true, false}, colours::None, "", ""}));

TEST(SettingsMessage, LineFeedThenCarriageReturn) {
    EXPECT_EQ(kDamagedSettingsMessage,
              "Achtung! Besch\xC3\xA4"
              "digte Inidatei!\n\rProgramm arbeitet mit Grundeinstellungen.");
}

}  // namespace

// ---- window geometry against the screens ----

struct FitCase {
    const char* what;
    ScreenRect window;
    ScreenRect expected;
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.what; }

// Two screens side by side, the second with a panel at its top.
const std::vector<ScreenRect> kScreens = {{0, 0, 1280, 1024}, {1280, 30, 1920, 1050}};

class FitOntoScreens : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitOntoScreens, KeepsWhatFitsAndPullsTheRestOnAScreen) {
    EXPECT_EQ(fitOntoScreens(GetParam().window, 72, 219, kScreens), GetParam().expected);
}

constexpr int32_t kMax = 2147483647;
constexpr int32_t kMin = -2147483647 - 1;

INSTANTIATE_TEST_SUITE_P(
    Rects, FitOntoScreens,
    ::testing::Values(FitCase{"inside the first", {214, 71, 660, 658}, {214, 71, 660, 658}},
                      FitCase{"filling the first", {0, 0, 1280, 1024}, {0, 0, 1280, 1024}},
                      FitCase{"inside the second", {1500, 30, 800, 600}, {1500, 30, 800, 600}},
                      FitCase{"mostly on the second", {1200, 100, 800, 600}, {1280, 100, 800, 600}},
                      FitCase{"above the panel", {2000, 0, 800, 600}, {2000, 30, 800, 600}},
                      FitCase{"off every screen", {-5000, -5000, 400, 300}, {0, 0, 400, 300}},
                      FitCase{"near 2^31", {kMax - 10, kMax - 10, 660, 658}, {620, 366, 660, 658}},
                      FitCase{"at -2^31", {kMin, kMin, 660, 658}, {0, 0, 660, 658}},
                      FitCase{"huge: the screen it covers most", {0, 0, 20000, 20000}, {1280, 30, 1920, 1050}},
                      FitCase{"huge and far", {kMax, kMax, kMax, kMax}, {0, 0, 1280, 1024}},
                      FitCase{"below the minimum", {100, 100, 1, 1}, {100, 100, 72, 219}},
                      FitCase{"negative size", {100, 100, -20, kMin}, {100, 100, 72, 219}}));

TEST(FitOntoScreens, MinimumWinsOverATinyScreenAndNoScreenChangesNothing) {
    EXPECT_EQ(fitOntoScreens({50, 50, 100, 100}, 300, 300, {{0, 0, 200, 200}}), (ScreenRect{0, 0, 300, 300}));
    EXPECT_EQ(fitOntoScreens({kMax, 5, 1, 1}, 72, 219, {}), (ScreenRect{kMax, 5, 1, 1}));
}
