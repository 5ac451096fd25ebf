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

const Goal kGoals[] = {
    {"open_ratio", "open, to setPlainText", 1.5},
    {"count_ratio", "first full count, to setPlainText", 0.15},
    {"status_us", "status update after a key (us)", 5},
    {"key_ratio", "key stroke, to a plain editor's", 1.2},
    {"memory_ratio", "peak memory, to a plain editor's", 1.1},
    {"rall_ratio", "RAll, to setPlainText", 1.3},
    {"anschlaege_ratio", "keystroke count, to setPlainText", 0.05},
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
    std::printf("\n%-36s %10s %10s %10s %8s %s\n", "goal", "median", "lowest", "highest", "limit", "met");
    for (const Goal& goal : kGoals) {
        auto found = figures_.find(goal.counter);
        if (found == figures_.end() || found->second.empty()) continue;
        std::vector<double> values = found->second;
        std::sort(values.begin(), values.end());
        const double median = values[(values.size() - 1) / 2];
        std::printf("%-36s %10s %10s %10s", goal.what, figure(median).c_str(), figure(values.front()).c_str(),
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
