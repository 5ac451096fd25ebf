#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Font measures of a print job, in device pixels.
struct FlowMetrics {
    int lineHeight = 0;        // the font's character height
    int averageCharWidth = 0;  // sets the tab stops
};

// One thing to do on the printer: draw a piece of text with its top-left
// corner at (x, y), or go on to a new sheet.
struct FlowStep {
    enum class Kind { Text, NewSheet };
    Kind kind = Kind::Text;
    int x = 0;
    int y = 0;
    std::u16string text;

    friend bool operator==(const FlowStep&, const FlowStep&) = default;
};

// Where line-printer text goes on the sheets of one job. Positions are device
// pixels of the printable area, the first line at its top-left. A line is cut
// after the last whole character that fits and goes on at the left edge; tab
// stops lie at multiples of 8 average character widths; LF ends a line, FF
// starts a sheet, CR prints nothing. A new sheet is only started when
// something is drawn on it, so a job never ends with a blank sheet.
class PrintFlow {
public:
    // Width in device pixels of a piece of text in the current font.
    using Measure = std::function<int(std::u16string_view)>;

    PrintFlow(int printableWidth, int printableHeight, FlowMetrics metrics);

    // Called between lines: the next line uses these measures.
    void setMetrics(FlowMetrics metrics) { metrics_ = metrics; }

    // Writes the text and ends the line.
    std::vector<FlowStep> writeLine(std::u16string_view text, const Measure& width);

private:
    void draw(std::u16string_view text, int width, std::vector<FlowStep>& steps);
    void put(std::u16string_view text, const Measure& width, std::vector<FlowStep>& steps);
    void tab();
    void newLine();
    void newSheet();

    int width_;
    int height_;
    FlowMetrics metrics_;
    int x_ = 0;
    int y_ = 0;
    bool lineHasText_ = false;
    int pendingSheets_ = 0;
};

}  // namespace korvex
