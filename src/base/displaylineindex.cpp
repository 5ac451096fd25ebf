#include "base/displaylineindex.h"

#include <numeric>
#include <stdexcept>

namespace korvex {

void DisplayLineIndex::assign(const std::vector<int>& counts) { rebuild(counts); }

void DisplayLineIndex::rebuild(std::vector<int> counts) {
    chunks_.clear();
    chunks_.reserve(counts.size() / kChunkSize + 1);
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
    rebuildTrees();
}

void DisplayLineIndex::rebuildTrees() {
    const size_t n = chunks_.size();
    blockTree_.assign(n + 1, 0);
    lineTree_.assign(n + 1, 0);
    for (size_t i = 1; i <= n; ++i) {
        blockTree_[i] += static_cast<int>(chunks_[i - 1].counts.size());
        lineTree_[i] += chunks_[i - 1].lines;
        const size_t parent = i + (i & (~i + 1));
        if (parent <= n) {
            blockTree_[parent] += blockTree_[i];
            lineTree_[parent] += lineTree_[i];
        }
    }
    topStep_ = 1;
    while (topStep_ * 2 <= n) topStep_ *= 2;
}

void DisplayLineIndex::adjustTrees(size_t chunk, int blocks, int64_t lines) {
    for (size_t i = chunk + 1; i < blockTree_.size(); i += i & (~i + 1)) {
        blockTree_[i] += blocks;
        lineTree_[i] += lines;
    }
}

std::pair<size_t, int> DisplayLineIndex::chunkOf(int block) const {
    if (block >= blockCount_) return {chunks_.size(), block - blockCount_};
    // Descend the tree: `pos` chunks lie wholly before the block.
    size_t pos = 0;
    int remaining = block;
    for (size_t step = topStep_; step > 0; step /= 2) {
        if (pos + step < blockTree_.size() && blockTree_[pos + step] <= remaining) {
            pos += step;
            remaining -= blockTree_[pos];
        }
    }
    return {pos, remaining};
}

int DisplayLineIndex::linesOf(int block) const {
    if (block < 0) throw std::out_of_range("DisplayLineIndex::linesOf");
    const auto [chunk, offset] = chunkOf(block);
    if (chunk >= chunks_.size()) throw std::out_of_range("DisplayLineIndex::linesOf");
    return chunks_[chunk].counts[static_cast<size_t>(offset)];
}

int64_t DisplayLineIndex::linesBefore(int block) const {
    if (block <= 0) return 0;
    if (block >= blockCount_) return totalLines_;
    const auto [chunk, offset] = chunkOf(block);
    int64_t lines = 0;
    for (size_t i = chunk; i > 0; i -= i & (~i + 1)) lines += lineTree_[i];
    const std::vector<int>& counts = chunks_[chunk].counts;
    return lines + std::accumulate(counts.begin(), counts.begin() + offset, int64_t{0});
}

DisplayLineIndex::Position DisplayLineIndex::locate(int64_t line) const {
    if (line < 0 || line >= totalLines_) throw std::out_of_range("DisplayLineIndex::locate");
    size_t pos = 0;
    int block = 0;
    int64_t remaining = line;
    for (size_t step = topStep_; step > 0; step /= 2) {
        if (pos + step < lineTree_.size() && lineTree_[pos + step] <= remaining) {
            pos += step;
            remaining -= lineTree_[pos];
            block += blockTree_[pos];
        }
    }
    for (int count : chunks_[pos].counts) {
        if (remaining < count) return {block, static_cast<int>(remaining)};
        remaining -= count;
        ++block;
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
    if (chunk < chunks_.size() && offset + removed <= static_cast<int>(chunks_[chunk].counts.size()) &&
        counts.size() <= kChunkSize) {
        Chunk& target = chunks_[chunk];
        const auto from = target.counts.begin() + offset;
        const int64_t before = std::accumulate(from, from + removed, int64_t{0});
        target.counts.erase(from, from + removed);
        target.counts.insert(target.counts.begin() + offset, counts.begin(), counts.end());
        const int64_t after = std::accumulate(counts.begin(), counts.end(), int64_t{0});
        const int addedBlocks = static_cast<int>(counts.size()) - removed;
        target.lines += after - before;
        totalLines_ += after - before;
        blockCount_ += addedBlocks;
        if (target.counts.empty()) {
            chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(chunk));
            rebuildTrees();
        } else if (target.counts.size() > 2 * kChunkSize) {
            Chunk tail;
            tail.counts.assign(target.counts.begin() + kChunkSize, target.counts.end());
            target.counts.resize(kChunkSize);
            tail.lines = std::accumulate(tail.counts.begin(), tail.counts.end(), int64_t{0});
            target.lines -= tail.lines;
            chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(chunk) + 1, std::move(tail));
            rebuildTrees();
        } else {
            adjustTrees(chunk, addedBlocks, after - before);
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
