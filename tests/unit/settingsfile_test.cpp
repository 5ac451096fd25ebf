#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/textforms.h"
#include "oracles/defaultsettings.h"
#include "settings/settingsfile.h"

using namespace korvex;

namespace {

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

// The settings of the sample lines.
const SettingsRecord kSample = {.top = 10,
                                .left = 20,
                                .height = 30,
                                .width = 40,
                                .windowColour = colours::Yellow,
                                .fontName = "Arial",
                                .fontSize = 12,
                                .style = {.bold = true},
                                .fontColour = Colour(0x00123456),
                                .openDir = "C:\\Texte",
                                .saveDir = "D:\\Ablage"};

// Where every read starts: none of its values is the sample's, so each setting applied shows.
const SettingsRecord kStart = {.top = 1,
                               .left = 2,
                               .height = 3,
                               .width = 4,
                               .windowColour = colours::Black,
                               .fontName = "Start",
                               .fontSize = 5,
                               .style = {},
                               .fontColour = colours::Black,
                               .openDir = "a",
                               .saveDir = "b"};

std::vector<std::string> firstLines(size_t count) { return {kSampleLines.begin(), kSampleLines.begin() + count}; }

// The start with the first `count` settings of the sample applied, in the file's order.
SettingsRecord firstApplied(size_t count) {
    using Take = void (*)(SettingsRecord&);
    const Take inFileOrder[] = {
        [](SettingsRecord& r) { r.top = kSample.top; },
        [](SettingsRecord& r) { r.left = kSample.left; },
        [](SettingsRecord& r) { r.height = kSample.height; },
        [](SettingsRecord& r) { r.width = kSample.width; },
        [](SettingsRecord& r) { r.windowColour = kSample.windowColour; },
        [](SettingsRecord& r) { r.fontName = kSample.fontName; },
        [](SettingsRecord& r) { r.fontSize = kSample.fontSize; },
        [](SettingsRecord& r) { r.style = kSample.style; },
        [](SettingsRecord& r) { r.fontColour = kSample.fontColour; },
        [](SettingsRecord& r) { r.openDir = kSample.openDir; },
        [](SettingsRecord& r) { r.saveDir = kSample.saveDir; },
    };
    SettingsRecord record = kStart;
    for (size_t i = 0; i < count; ++i) inFileOrder[i](record);
    return record;
}

// The sample with one change.
SettingsRecord sampleWith(void (*change)(SettingsRecord&)) {
    SettingsRecord record = kSample;
    change(record);
    return record;
}

// Reads from the start: the settings applied, and the header taking the
// font last, after a complete read only.
void expectRead(const std::string& bytes, SettingsReadResult result, const SettingsRecord& applied) {
    RecordTarget target(kStart);
    EXPECT_EQ(readSettings(bytes, target), result);
    EXPECT_EQ(target.record, applied);
    EXPECT_EQ(target.headerFontTaken, result == SettingsReadResult::Complete ? 1 : 0);
    EXPECT_FALSE(target.settingAfterHeaderFont);
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
    size_t applied;  // settings of the sample
};

void PrintTo(const LineCountCase& c, std::ostream* os) {
    *os << c.lineCount << " lines" << (c.line12 ? std::string(", line 12 ") + c.line12 : "");
}

class ReadByLineCount : public ::testing::TestWithParam<LineCountCase> {};

TEST_P(ReadByLineCount, AppliesUpToTheFirstMissingLine) {
    const LineCountCase& c = GetParam();
    std::vector<std::string> lines = firstLines(c.lineCount);
    if (c.line12) lines[12] = c.line12;
    expectRead(joined(lines), c.result, firstApplied(c.applied));
}

INSTANTIATE_TEST_SUITE_P(Counts, ReadByLineCount,
                         ::testing::Values(LineCountCase{0, nullptr, SettingsReadResult::Damaged, 0},
                                           LineCountCase{2, nullptr, SettingsReadResult::Damaged, 0},
                                           LineCountCase{3, nullptr, SettingsReadResult::Damaged, 1},
                                           LineCountCase{6, nullptr, SettingsReadResult::Damaged, 4},
                                           LineCountCase{7, nullptr, SettingsReadResult::Damaged, 4},
                                           LineCountCase{8, nullptr, SettingsReadResult::Damaged, 5},
                                           LineCountCase{11, nullptr, SettingsReadResult::Damaged, 8},
                                           LineCountCase{12, nullptr, SettingsReadResult::Damaged, 9},
                                           LineCountCase{13, nullptr, SettingsReadResult::Damaged, 10},
                                           LineCountCase{13, "EndOfFile", SettingsReadResult::Complete, 9},
                                           LineCountCase{14, nullptr, SettingsReadResult::Complete, 11},
                                           LineCountCase{20, nullptr, SettingsReadResult::Complete, 11}));

// ---- reading: single lines ----

struct LineCase {
    size_t index;
    std::string text;
    SettingsReadResult result;
    SettingsRecord applied;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << "line " << c.index << " = " << ::testing::PrintToString(c.text);
}

class ReadWithLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ReadWithLine, ReplacedInTheSample) {
    std::vector<std::string> lines = firstLines(15);
    lines[GetParam().index] = GetParam().text;
    expectRead(joined(lines), GetParam().result, GetParam().applied);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ReadWithLine,
    ::testing::Values(
        LineCase{2, "  100", SettingsReadResult::Complete, sampleWith([](SettingsRecord& r) { r.top = 100; })},
        LineCase{2, "100 ", SettingsReadResult::Damaged, kStart}, LineCase{2, "", SettingsReadResult::Damaged, kStart},
        LineCase{3, "-5", SettingsReadResult::Complete, sampleWith([](SettingsRecord& r) { r.left = -5; })},
        LineCase{4, "$200", SettingsReadResult::Complete, sampleWith([](SettingsRecord& r) { r.height = 512; })},
        LineCase{5, "vierzig", SettingsReadResult::Damaged, firstApplied(3)},
        LineCase{7, "CLMONEYGREEN", SettingsReadResult::Complete,
                 sampleWith([](SettingsRecord& r) { r.windowColour = colours::MoneyGreen; })},
        LineCase{7, "$00C0DCC0", SettingsReadResult::Complete,
                 sampleWith([](SettingsRecord& r) { r.windowColour = colours::MoneyGreen; })},
        LineCase{7, "green", SettingsReadResult::Damaged, firstApplied(4)},
        LineCase{8, "", SettingsReadResult::Complete,
                 sampleWith([](SettingsRecord& r) { r.fontName = kStart.fontName; })},
        LineCase{8, "1234567890123456789012345678901234567890", SettingsReadResult::Complete,
                 sampleWith([](SettingsRecord& r) { r.fontName = "1234567890123456789012345678901"; })},
        LineCase{8, "1234567890123456789012345678901", SettingsReadResult::Complete,
                 sampleWith([](SettingsRecord& r) { r.fontName = "1234567890123456789012345678901"; })},
        LineCase{9, "12.5", SettingsReadResult::Damaged, firstApplied(6)},
        LineCase{10, "BOLD------", SettingsReadResult::Complete,
                 sampleWith([](SettingsRecord& r) { r.style = kStart.style; })},
        LineCase{10, "----------", SettingsReadResult::Complete,
                 sampleWith([](SettingsRecord& r) { r.style = kStart.style; })},
        LineCase{10, "----italic", SettingsReadResult::Complete,
                 sampleWith([](SettingsRecord& r) { r.style = {.italic = true}; })},
        LineCase{11, "", SettingsReadResult::Damaged, firstApplied(8)},
        LineCase{12, "", SettingsReadResult::Complete, sampleWith([](SettingsRecord& r) { r.openDir = ""; })},
        LineCase{13, "EndOfFile", SettingsReadResult::Complete,
                 sampleWith([](SettingsRecord& r) { r.saveDir = "EndOfFile"; })},
        LineCase{0, "", SettingsReadResult::Complete, kSample},
        LineCase{1, "$$$", SettingsReadResult::Complete, kSample},
        LineCase{6, "sechs", SettingsReadResult::Complete, kSample},
        LineCase{14, "nichts", SettingsReadResult::Complete, kSample}));

TEST(ReadSettings, EndMarkerInOtherCaseIsAnOpenFolder) {
    std::vector<std::string> lines = firstLines(13);
    lines[12] = "endoffile";
    SettingsRecord expected = firstApplied(9);
    expected.openDir = "endoffile";
    expectRead(joined(lines), SettingsReadResult::Damaged, expected);

    lines.push_back("D:\\Ablage");
    expected.saveDir = "D:\\Ablage";
    expectRead(joined(lines), SettingsReadResult::Complete, expected);
}

TEST(ReadSettings, AnyLineEndsWork) {
    for (const std::string ending : {"\r", "\n", "\r\n"}) {
        SCOPED_TRACE(::testing::PrintToString(ending));
        expectRead(joined(firstLines(15), ending), SettingsReadResult::Complete, kSample);
    }
    std::string mixed;
    const char* endings[] = {"\r", "\n", "\r\n"};
    for (size_t i = 0; i < 15; ++i) mixed += kSampleLines[i] + endings[i % 3];
    expectRead(mixed, SettingsReadResult::Complete, kSample);
}

TEST(ReadSettings, NulByteEndsTheContent) {
    const std::string bytes = joined(firstLines(12)) + '\0' + joined({"C:\\Texte", "D:\\Ablage", "EndOfFile"});
    expectRead(bytes, SettingsReadResult::Damaged, firstApplied(9));
}

TEST(ReadSettings, ReadColoursAreWrittenBackByName) {
    std::vector<std::string> lines = firstLines(15);
    lines[7] = "CLMONEYGREEN";
    lines[11] = "$00C0DCC0";
    RecordTarget target(kStart);
    ASSERT_EQ(readSettings(joined(lines), target), SettingsReadResult::Complete);
    EXPECT_EQ(target.record.windowColour, colours::MoneyGreen);
    EXPECT_EQ(target.record.fontColour, colours::MoneyGreen);
    const std::vector<std::string> written = splitSettingsLines(composeSettings(target.record));
    ASSERT_EQ(written.size(), 15u);
    EXPECT_EQ(written[7], "clMoneyGreen");
    EXPECT_EQ(written[11], "clMoneyGreen");
}

TEST(ReadSettings, HexColourRoundTrip) {
    RecordTarget target(kStart);
    ASSERT_EQ(readSettings(joined(firstLines(15)), target), SettingsReadResult::Complete);
    EXPECT_EQ(target.record.fontColour, Colour::fromRgb(0x56, 0x34, 0x12));
    EXPECT_EQ(splitSettingsLines(composeSettings(target.record))[11], "$00123456");
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
    RecordTarget target(kStart);
    ASSERT_EQ(readSettings(first, target), SettingsReadResult::Complete);
    EXPECT_EQ(target.record, GetParam());
    EXPECT_EQ(composeSettings(target.record), first);
    EXPECT_EQ(target.headerFontTaken, 1);
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
