#include "display/modelcount.h"

#include <algorithm>
#include <thread>

#include "base/anotherthread.h"

namespace korvex {

namespace {

// Where each part starts: at `from` and after the block end nearest behind
// each equal share of the text.
std::vector<qsizetype> partStarts(QStringView text, qsizetype from, int parts) {
    std::vector<qsizetype> starts{from};
    const qsizetype share = (text.size() - from) / std::max(parts, 1);
    for (int k = 1; k < parts; ++k) {
        const qsizetype end = text.indexOf(QChar::ParagraphSeparator, std::max(from + k * share, starts.back()));
        if (end < 0) break;
        starts.push_back(end + 1);
    }
    return starts;
}

}  // namespace

ModelCount::ModelCount(const WrapModel& model, int width, QString text, qsizetype from, int parts)
    : text_(std::move(text)), stop_(std::make_shared<std::atomic<bool>>(false)) {
    const std::vector<qsizetype> starts = partStarts(text_, from, parts);
    for (size_t k = 0; k < starts.size(); ++k) {
        const qsizetype end = k + 1 < starts.size() ? starts[k + 1] - 1 : text_.size();
        const QStringView part = QStringView(text_).sliced(starts[k], end - starts[k]);
        // A model of its own for each thread: it keeps scratch space while it lays out.
        auto count = [model, part, width, stop = stop_] { return countPart(model, width, part, *stop); };
        parts_.push_back(onAnotherThread(count));  // without a thread: counted when taken
    }
}

ModelCount::~ModelCount() { stop_->store(true); }

bool ModelCount::isReady() const {
    return std::all_of(parts_.begin(), parts_.end(), [](const std::future<Part>& part) {
        return part.wait_for(std::chrono::seconds(0)) != std::future_status::timeout;  // or deferred
    });
}

ModelCount::Part ModelCount::countPart(const WrapModel& model, int width, QStringView part,
                                       const std::atomic<bool>& stop) {
    Part counted;
    counted.width = width;
    for (qsizetype start = 0; !stop.load(std::memory_order_relaxed);) {
        const qsizetype blockEnd = part.indexOf(QChar::ParagraphSeparator, start);
        const QStringView block = part.sliced(start, (blockEnd < 0 ? part.size() : blockEnd) - start);
        const int lines = model.lineCount(block, width);
        if (lines <= 0) counted.left.emplace_back(counted.counts.size(), block);
        counted.counts.push_back(lines);
        if (blockEnd < 0) break;
        start = blockEnd + 1;
    }
    return counted;
}

void ModelCount::join(Part& part, Part more) {
    for (const auto& [index, block] : more.left) part.left.emplace_back(part.counts.size() + index, block);
    part.counts.insert(part.counts.end(), more.counts.begin(), more.counts.end());
}

std::vector<int> ModelCount::finish(Part part, const std::function<int(QStringView)>& measure) {
    for (const auto& [index, block] : part.left) part.counts[index] = measure(block);
    return std::move(part.counts);
}

std::vector<int> ModelCount::take(const std::function<int(QStringView)>& measure) {
    std::vector<int> counts;
    for (std::future<Part>& future : parts_) {
        const std::vector<int> part = finish(future.get(), measure);
        counts.insert(counts.end(), part.begin(), part.end());
    }
    parts_.clear();
    return counts;
}

int ModelCount::partsForAllCores() { return static_cast<int>(std::max(1U, std::thread::hardware_concurrency())); }

}  // namespace korvex
