#pragma once

#include <QString>
#include <QStringView>
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <utility>
#include <vector>

#include "display/wrapmodel.h"

namespace korvex {

// The display lines of every block of a raw text (blocks separated by
// U+2029) counted by the wrap model on other threads while the window goes
// on: the text is cut into parts at block ends, one thread each. Blocks the
// model does not follow are left to the caller, who lays them out with Qt's
// layout on the GUI thread.
class ModelCount {
public:
    // Counts the blocks of `text` from `from` on (where a block starts), in `parts` parts (one at least).
    ModelCount(const WrapModel& model, int width, QString text, qsizetype from, int parts);
    // Stops the threads at their next block.
    ~ModelCount();
    ModelCount(const ModelCount&) = delete;
    ModelCount& operator=(const ModelCount&) = delete;

    bool isReady() const;
    // Waits for the counts; `measure` counts each block the model left.
    std::vector<int> take(const std::function<int(QStringView)>& measure);

    // As many parts as the machine has cores.
    static int partsForAllCores();

    // The counts of the blocks of one part, and the blocks the model left.
    struct Part {
        int width = 0;
        std::vector<int> counts;
        std::vector<std::pair<size_t, QStringView>> left;  // by their index in the part
    };
    // Counts the blocks of `part` on the calling thread, until `stop` is set.
    static Part countPart(const WrapModel& model, int width, QStringView part, const std::atomic<bool>& stop);
    // The blocks of `more`, which follow those of `part`, join them.
    static void join(Part& part, Part more);
    // The counts of a part, each block the model left counted by `measure`.
    static std::vector<int> finish(Part part, const std::function<int(QStringView)>& measure);

private:
    QString text_;  // shared with the caller; the threads only read it
    std::shared_ptr<std::atomic<bool>> stop_;
    std::vector<std::future<Part>> parts_;
};

}  // namespace korvex
