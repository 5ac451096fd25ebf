// The settings file read over arbitrary bytes: only a file of at least 13
// lines can be complete, the header font follows only a complete read, and
// the settings that took effect, written again, read back as the same.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzzcheck.h"
#include "settings/settingsfile.h"

using namespace korvex;

namespace {

class RecordingTarget : public SettingsTarget {
public:
    SettingsRecord record = kDefaultSettings;
    int headerFontCalls = 0;
    bool calledAfterHeaderFont = false;

    void setWindowTop(int32_t v) override {
        note();
        record.top = v;
    }
    void setWindowLeft(int32_t v) override {
        note();
        record.left = v;
    }
    void setWindowHeight(int32_t v) override {
        note();
        record.height = v;
    }
    void setWindowWidth(int32_t v) override {
        note();
        record.width = v;
    }
    void setWindowColour(Colour c) override {
        note();
        record.windowColour = c;
    }
    void setFontName(std::string name) override {
        note();
        FUZZ_CHECK(!name.empty() && name.size() <= kMaxFontNameLength);
        record.fontName = std::move(name);
    }
    void setFontSize(int32_t v) override {
        note();
        record.fontSize = v;
    }
    void setFontStyle(FontStyle s) override {
        note();
        record.style = s;
    }
    void setFontColour(Colour c) override {
        note();
        record.fontColour = c;
    }
    void setOpenDir(std::string dir) override {
        note();
        record.openDir = std::move(dir);
    }
    void setSaveDir(std::string dir) override {
        note();
        record.saveDir = std::move(dir);
    }
    void headerTakesTextWindowFont() override { ++headerFontCalls; }

private:
    void note() { calledAfterHeaderFont = calledAfterHeaderFont || headerFontCalls > 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    RecordingTarget first;
    const SettingsReadResult result = readSettings(bytes, first);
    const bool complete = result == SettingsReadResult::Complete;
    FUZZ_CHECK(!complete || splitSettingsLines(bytes).size() >= 13);
    FUZZ_CHECK(first.headerFontCalls == (complete ? 1 : 0));
    FUZZ_CHECK(!first.calledAfterHeaderFont);

    const std::string written = composeSettings(first.record);
    FUZZ_CHECK(splitSettingsLines(written).size() == 15);
    RecordingTarget second;
    FUZZ_CHECK(readSettings(written, second) == SettingsReadResult::Complete);
    FUZZ_CHECK(second.record == first.record);
    FUZZ_CHECK(composeSettings(second.record) == written);
    return 0;
}
