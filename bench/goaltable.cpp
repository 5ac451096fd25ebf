#include "goaltable.h"

#include <algorithm>
#include <cstdio>

namespace korvex::bench {
namespace {

struct Goal {
    const char* counter;
    const char* what;
    double limit;  // at most; 0: a figure without a limit
};

// Goals measured on each corpus carry its name after an "@".
const Goal kGoals[] = {
    {"first_screen_ratio@prose", "first screen after Open [prose]", 0.05},
    {"first_screen_ratio@german", "first screen after Open [German]", 0.05},
    {"complete_ratio@prose", "document complete [prose]", 1.0},
    {"complete_ratio@german", "document complete [German]", 1.0},
    {"width_ratio@prose", "width change, counted [prose]", 0.15},
    {"width_ratio@german", "width change, counted [German]", 0.15},
    {"resize_step_ms@prose", "one step of a resize drag (ms) [prose]", 0},
    {"resize_step_ms@german", "one step of a resize drag (ms) [German]", 0},
    {"settle_pause_ms@prose", "longest pause once the drag ends (ms) [prose]", 0},
    {"settle_pause_ms@german", "longest pause once the drag ends (ms) [German]", 0},
    {"model_count_ms@prose", "wrap model, whole text, one core (ms) [prose]", 0},
    {"model_count_ms@german", "wrap model, whole text, one core (ms) [German]", 0},
    {"status_us@prose", "status update after a key (us) [prose]", 5},
    {"status_us@german", "status update after a key (us) [German]", 5},
    {"key_ratio@prose", "key stroke, to a plain editor's [prose]", 1.2},
    {"key_ratio@german", "key stroke, to a plain editor's [German]", 1.2},
    {"memory_ratio@prose", "peak memory, to a plain editor's [prose]", 1.1},
    {"memory_ratio@german", "peak memory, to a plain editor's [German]", 1.1},
    {"rall_ratio@prose", "RAll, to setPlainText [prose]", 1.3},
    {"rall_ratio@german", "RAll, to setPlainText [German]", 1.3},
    {"anschlaege_ratio@prose", "keystroke count, to setPlainText [prose]", 0.05},
    {"anschlaege_ratio@german", "keystroke count, to setPlainText [German]", 0.05},
    {"long_line_key_ratio", "key at the end of the longest line, to plain", 1.2},
    {"long_line_key_ms", "key at the end of the longest line (ms)", 0},
    {"korvex_peak_MB", "200 MB: peak memory (MB)", 0},
    {"korvex_open_s", "200 MB: open (s)", 0},
    {"korvex_save_s", "200 MB: save (s)", 0},
    {"korvex_print_s", "200 MB: print to PDF (s)", 0},
    {"korvex_pages", "200 MB: pages printed", 0},
};

// Three significant digits, but whole numbers as they are (pages, megabytes).
std::string figure(double value) {
    char text[32];
    std::snprintf(text, sizeof text, value >= 1000 ? "%.0f" : "%.3g", value);
    return text;
}

}  // namespace

void GoalTableReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration) continue;
        for (const auto& [name, counter] : run.counters) figures_[name].push_back(counter.value);
    }
}

void GoalTableReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::printf("\n%-44s %10s %10s %10s %8s %s\n", "goal", "median", "lowest", "highest", "limit", "met");
    for (const Goal& goal : kGoals) {
        auto found = figures_.find(goal.counter);
        if (found == figures_.end() || found->second.empty()) continue;
        std::vector<double> values = found->second;
        std::sort(values.begin(), values.end());
        const double median = values[(values.size() - 1) / 2];
        std::printf("%-44s %10s %10s %10s", goal.what, figure(median).c_str(), figure(values.front()).c_str(),
                    figure(values.back()).c_str());
        if (goal.limit > 0) {
            std::printf(" %8s %s\n", figure(goal.limit).c_str(), values.back() <= goal.limit ? "yes" : "no");
        } else {
            std::printf("\n");
        }
    }
    std::fflush(stdout);
}

}  // namespace korvex::bench
