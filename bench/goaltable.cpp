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
    {"first_screen_ratio@prose", "first screen after Open, to setPlainText [prose]", 0.05},
    {"first_screen_ratio@german", "first screen after Open, to setPlainText [German]", 0.05},
    {"complete_ratio@prose", "document complete, to setPlainText [prose]", 1.2},
    {"complete_ratio@german", "document complete, to setPlainText [German]", 1.2},
    {"complete_cpu_ratio@prose", "complete: GUI thread CPU, to setPlainText's [prose]", 0},
    {"complete_cpu_ratio@german", "complete: GUI thread CPU, to setPlainText's [German]", 0},
    {"load_freeze_ms@prose", "longest freeze during a load (ms) [prose]", 300},
    {"load_freeze_ms@german", "longest freeze during a load (ms) [German]", 300},
    {"first_width_freeze_ratio@prose", "first width change: freeze, to plain relayout [prose]", 1.2},
    {"first_width_freeze_ratio@german", "first width change: freeze, to plain relayout [German]", 1.2},
    {"first_width_freeze_ms@prose", "first width change: freeze (ms) [prose]", 0},
    {"first_width_freeze_ms@german", "first width change: freeze (ms) [German]", 0},
    {"plain_relayout_ms@prose", "plain editor's first relayout (ms) [prose]", 0},
    {"plain_relayout_ms@german", "plain editor's first relayout (ms) [German]", 0},
    {"rewrap_visible_ms@prose", "re-wrapped text shown after the drag (ms) [prose]", 120},
    {"rewrap_visible_ms@german", "re-wrapped text shown after the drag (ms) [German]", 120},
    {"lines_final_ms@prose", "\"Zeilen:\" final after the drag (ms) [prose]", 1000},
    {"lines_final_ms@german", "\"Zeilen:\" final after the drag (ms) [German]", 1000},
    {"drag_freeze_ms@prose", "longest freeze, drag and after (ms) [prose]", 80},
    {"drag_freeze_ms@german", "longest freeze, drag and after (ms) [German]", 80},
    {"width_ratio@prose", "width change, counted, to setPlainText [prose]", 0},
    {"width_ratio@german", "width change, counted, to setPlainText [German]", 0},
    {"resize_step_ms@prose", "one step of a resize drag (ms) [prose]", 0},
    {"resize_step_ms@german", "one step of a resize drag (ms) [German]", 0},
    {"model_count_ms@prose", "wrap model, whole text, one core (ms) [prose]", 0},
    {"model_count_ms@german", "wrap model, whole text, one core (ms) [German]", 0},
    {"status_us@prose", "status update after a key (us) [prose]", 5},
    {"status_us@german", "status update after a key (us) [German]", 5},
    {"key_ratio@prose", "key stroke, to a plain editor's [prose]", 1.2},
    {"key_ratio@german", "key stroke, to a plain editor's [German]", 1.2},
    {"memory_ratio@prose", "peak memory, to a plain editor's [prose]", 1.1},
    {"memory_ratio@german", "peak memory, to a plain editor's [German]", 1.1},
    {"session_memory_ratio@prose", "memory after a session, to after the load [prose]", 1.1},
    {"session_memory_ratio@german", "memory after a session, to after the load [German]", 1.1},
    {"session_bytes_per_byte@prose", "memory after a session, per byte of text [prose]", 4},
    {"session_bytes_per_byte@german", "memory after a session, per byte of text [German]", 4},
    {"rall_freeze_ms@prose", "RAll: longest freeze (ms) [prose]", 250},
    {"rall_freeze_ms@german", "RAll: longest freeze (ms) [German]", 250},
    {"rall_ratio@prose", "RAll, to setPlainText [prose]", 0},
    {"rall_ratio@german", "RAll, to setPlainText [German]", 0},
    {"anschlaege_ratio@prose", "keystroke count, to setPlainText [prose]", 0.05},
    {"anschlaege_ratio@german", "keystroke count, to setPlainText [German]", 0.05},
    {"find_ratio@prose", "Weitersuchen start to end, to setPlainText [prose]", 0.05},
    {"find_ratio@german", "Weitersuchen start to end, to setPlainText [German]", 0.05},
    {"replace_all_ratio@prose", "Alle ersetzen, to setPlainText [prose]", 1.0},
    {"replace_all_ratio@german", "Alle ersetzen, to setPlainText [German]", 1.0},
    {"replace_all_cpu_ratio@prose", "Alle ersetzen: GUI thread CPU, to setPlainText's [prose]", 0},
    {"replace_all_cpu_ratio@german", "Alle ersetzen: GUI thread CPU, to setPlainText's [German]", 0},
    {"replace_all_matches@prose", "Alle ersetzen: matches replaced [prose]", 0},
    {"replace_all_matches@german", "Alle ersetzen: matches replaced [German]", 0},
    {"replace_all_freeze_ms@prose", "Alle ersetzen: longest freeze (ms) [prose]", 250},
    {"replace_all_freeze_ms@german", "Alle ersetzen: longest freeze (ms) [German]", 250},
    {"long_line_key_ratio", "key at the end of the longest line, to plain", 1.2},
    {"long_line_key_ms", "key at the end of the longest line (ms)", 0},
    {"korvex_peak_MB", "200 MB: peak memory (MB)", 0},
    {"session_memory_ratio@200MB", "200 MB: memory after a session, to after load", 1.1},
    {"session_bytes_per_byte@200MB", "200 MB: memory after a session, per byte", 4},
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
    std::printf("\n%-56s %10s %10s %10s %8s %s\n", "goal", "median", "lowest", "highest", "limit", "met");
    for (const Goal& goal : kGoals) {
        auto found = figures_.find(goal.counter);
        if (found == figures_.end() || found->second.empty()) continue;
        std::vector<double> values = found->second;
        std::sort(values.begin(), values.end());
        const double median = values[(values.size() - 1) / 2];
        std::printf("%-56s %10s %10s %10s", goal.what, figure(median).c_str(), figure(values.front()).c_str(),
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
