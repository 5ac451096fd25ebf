#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace korvex {

// The number of display lines of every hard line (block), with running sums
// kept per chunk, so that a change to a few blocks and the questions "how
// many lines before block b" and "which block holds line n" cost time in
// proportion to the number of chunks, not of blocks.
class DisplayLineIndex {
public:
    struct Position {
        int block;
        int lineInBlock;
    };

    void assign(const std::vector<int>& counts);
    // Replaces `removed` blocks from `first` on by the given counts.
    void replace(int first, int removed, const std::vector<int>& counts);

    int blockCount() const { return blockCount_; }
    int64_t totalLines() const { return totalLines_; }
    int linesOf(int block) const;
    int64_t linesBefore(int block) const;
    // The block and the line within it for display line `line` (< totalLines()).
    Position locate(int64_t line) const;

private:
    struct Chunk {
        std::vector<int> counts;
        int64_t lines = 0;
    };
    static constexpr size_t kChunkSize = 512;

    std::pair<size_t, int> chunkOf(int block) const;  // chunk index, offset within it
    void rebuild(std::vector<int> counts);

    std::vector<Chunk> chunks_;
    int blockCount_ = 0;
    int64_t totalLines_ = 0;
};

}  // namespace korvex
