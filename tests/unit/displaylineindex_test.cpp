#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

#include "base/displaylineindex.h"

using namespace korvex;

namespace {

// The index against a plain vector of counts under random edits: half of
// them at one place, growing the middle first (chunks split), then
// shrinking the end (chunks empty).
TEST(DisplayLineIndex, AgreesWithPlainSumsUnderRandomEdits) {
    std::mt19937 random(7);
    std::vector<int> model(3000);
    for (int& c : model) c = 1 + static_cast<int>(random() % 4);
    DisplayLineIndex index;
    index.assign(model);
    for (int step = 0; step < 3000; ++step) {
        const bool growing = step < 1500;
        const int size = static_cast<int>(model.size());
        const int wanted = static_cast<int>(random() % (growing ? 2 : 6));
        const int local = growing ? size / 3 + static_cast<int>(random() % 8) : size - wanted;
        const int first = std::clamp(step % 2 ? local : static_cast<int>(random() % (model.size() + 1)), 0, size);
        const int removed = std::min(wanted, size - first);
        std::vector<int> added(random() % (step % 500 == 0 ? 1500 : growing ? 6 : 2));
        for (int& c : added) c = 1 + static_cast<int>(random() % 5);
        model.erase(model.begin() + first, model.begin() + first + removed);
        model.insert(model.begin() + first, added.begin(), added.end());
        index.replace(first, removed, added);
        ASSERT_EQ(index.blockCount(), static_cast<int>(model.size()));
        const int probe = model.empty() ? 0 : static_cast<int>(random() % model.size());
        int64_t before = 0;
        for (int i = 0; i < probe; ++i) before += model[static_cast<size_t>(i)];
        ASSERT_EQ(index.linesBefore(probe), before);
        if (!model.empty()) {
            ASSERT_EQ(index.linesOf(probe), model[static_cast<size_t>(probe)]);
            const auto place = index.locate(before + model[static_cast<size_t>(probe)] - 1);
            ASSERT_EQ(place.block, probe);
            ASSERT_EQ(place.lineInBlock, model[static_cast<size_t>(probe)] - 1);
        }
    }
    int64_t total = 0;
    for (int b = 0; b < static_cast<int>(model.size()); ++b) {
        ASSERT_EQ(index.linesBefore(b), total);
        total += model[static_cast<size_t>(b)];
    }
    EXPECT_EQ(index.totalLines(), total);
    EXPECT_THROW(index.locate(total), std::out_of_range);
}

}  // namespace
