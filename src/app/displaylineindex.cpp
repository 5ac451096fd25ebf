#include "app/displaylineindex.h"

#include <numeric>
#include <stdexcept>

namespace korvex {

void DisplayLineIndex::assign(const std::vector<int>& counts) { rebuild(counts); }

void DisplayLineIndex::rebuild(std::vector<int> counts) {
    chunks_.clear();
    blockCount_ = static_cast<int>(counts.size());
    totalLines_ = 0;
    for (size_t start = 0; start < counts.size(); start += kChunkSize) {
        Chunk chunk;
        const size_t end = std::min(counts.size(), start + kChunkSize);
        chunk.counts.assign(counts.begin() + static_cast<std::ptrdiff_t>(start),
                            counts.begin() + static_cast<std::ptrdiff_t>(end));
        chunk.lines = std::accumulate(chunk.counts.begin(), chunk.counts.end(), int64_t{0});
        totalLines_ += chunk.lines;
        chunks_.push_back(std::move(chunk));
    }
}

std::pair<size_t, int> DisplayLineIndex::chunkOf(int block) const {
    int remaining = block;
    for (size_t c = 0; c < chunks_.size(); ++c) {
        const int size = static_cast<int>(chunks_[c].counts.size());
        if (remaining < size) return {c, remaining};
        remaining -= size;
    }
    return {chunks_.size(), remaining};
}

int DisplayLineIndex::linesOf(int block) const {
    const auto [chunk, offset] = chunkOf(block);
    if (chunk >= chunks_.size()) throw std::out_of_range("DisplayLineIndex::linesOf");
    return chunks_[chunk].counts[static_cast<size_t>(offset)];
}

int64_t DisplayLineIndex::linesBefore(int block) const {
    int64_t lines = 0;
    int remaining = block;
    for (const Chunk& chunk : chunks_) {
        const int size = static_cast<int>(chunk.counts.size());
        if (remaining < size) {
            return lines + std::accumulate(chunk.counts.begin(), chunk.counts.begin() + remaining, int64_t{0});
        }
        lines += chunk.lines;
        remaining -= size;
    }
    return lines;
}

DisplayLineIndex::Position DisplayLineIndex::locate(int64_t line) const {
    int block = 0;
    int64_t remaining = line;
    for (const Chunk& chunk : chunks_) {
        if (remaining >= chunk.lines) {
            remaining -= chunk.lines;
            block += static_cast<int>(chunk.counts.size());
            continue;
        }
        for (int count : chunk.counts) {
            if (remaining < count) return {block, static_cast<int>(remaining)};
            remaining -= count;
            ++block;
        }
    }
    throw std::out_of_range("DisplayLineIndex::locate");
}

void DisplayLineIndex::replace(int first, int removed, const std::vector<int>& counts) {
    if (first < 0 || removed < 0 || first + removed > blockCount_) {
        throw std::out_of_range("DisplayLineIndex::replace");
    }
    // Small edits stay within one chunk; anything larger is rebuilt whole.
    auto [chunk, offset] = chunkOf(first);
    if (chunk == chunks_.size() && chunk > 0) {
        --chunk;
        offset = static_cast<int>(chunks_[chunk].counts.size());
    }
    if (chunk < chunks_.size() &&
        offset + removed <= static_cast<int>(chunks_[chunk].counts.size()) &&
        counts.size() <= kChunkSize) {
        Chunk& target = chunks_[chunk];
        const auto from = target.counts.begin() + offset;
        const int64_t before = std::accumulate(from, from + removed, int64_t{0});
        target.counts.erase(from, from + removed);
        target.counts.insert(target.counts.begin() + offset, counts.begin(), counts.end());
        const int64_t after = std::accumulate(counts.begin(), counts.end(), int64_t{0});
        target.lines += after - before;
        totalLines_ += after - before;
        blockCount_ += static_cast<int>(counts.size()) - removed;
        if (target.counts.empty()) {
            chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(chunk));
        } else if (target.counts.size() > 2 * kChunkSize) {
            Chunk tail;
            tail.counts.assign(target.counts.begin() + kChunkSize, target.counts.end());
            target.counts.resize(kChunkSize);
            tail.lines = std::accumulate(tail.counts.begin(), tail.counts.end(), int64_t{0});
            target.lines -= tail.lines;
            chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(chunk) + 1, std::move(tail));
        }
        return;
    }
    std::vector<int> all;
    all.reserve(static_cast<size_t>(blockCount_ - removed) + counts.size());
    for (const Chunk& c : chunks_) all.insert(all.end(), c.counts.begin(), c.counts.end());
    all.erase(all.begin() + first, all.begin() + first + removed);
    all.insert(all.begin() + first, counts.begin(), counts.end());
    rebuild(std::move(all));
}

}  // namespace korvex
