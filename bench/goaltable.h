#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace korvex::bench {

// The console report as usual, and at the end one table: every goal's
// figure over the repetitions (median, lowest, highest) against its limit.
class GoalTableReporter : public benchmark::ConsoleReporter {
public:
    GoalTableReporter() : ConsoleReporter(OO_Tabular) {}  // plain text: the report often goes to a file
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    std::map<std::string, std::vector<double>> figures_;  // counter name → one value per repetition
};

}  // namespace korvex::bench
