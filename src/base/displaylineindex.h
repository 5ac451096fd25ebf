#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace korvex {

// The number of display lines of every hard line (block), kept in chunks
// whose block and line totals sit in two Fenwick trees, so that a change to
// a few blocks and the questions "how many lines before block b" and "which
// block holds line n" cost the logarithm of the number of chunks plus one
// chunk's work, however long the text. The status line asks them on every key.
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
    static constexpr size_t kChunkSize = 256;

    std::pair<size_t, int> chunkOf(int block) const;  // chunk index, offset within it
    void rebuild(std::vector<int> counts);
    void rebuildTrees();
    void adjustTrees(size_t chunk, int blocks, int64_t lines);

    std::vector<Chunk> chunks_;
    // 1-based Fenwick trees over the chunks: block counts and line counts.
    std::vector<int> blockTree_;
    std::vector<int64_t> lineTree_;
    size_t topStep_ = 0;  // the highest power of two not above the number of chunks
    int blockCount_ = 0;
    int64_t totalLines_ = 0;
};

}  // namespace korvex
