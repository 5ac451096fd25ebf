#include <gtest/gtest.h>

#include "base/fontsize.h"

using namespace korvex;

namespace {

struct PointCase {
    int pixels;
    double dpi;
    int points;
};

class PointSizes : public ::testing::TestWithParam<PointCase> {};

TEST_P(PointSizes, RoundToNearestHalvesUp) {
    EXPECT_EQ(pointSizeFromPixels(GetParam().pixels, GetParam().dpi), GetParam().points);
}

INSTANTIATE_TEST_SUITE_P(Pixels, PointSizes,
                         ::testing::Values(PointCase{13, 96, 10}, PointCase{16, 96, 12}, PointCase{11, 96, 8},
                                           PointCase{17, 96, 13}, PointCase{5, 144, 3}, PointCase{7, 144, 4},
                                           PointCase{15, 80, 14}, PointCase{25, 120, 15}, PointCase{0, 96, 0}));

}  // namespace
