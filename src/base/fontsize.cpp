#include "base/fontsize.h"

#include <cmath>

namespace korvex {

int pointSizeFromPixels(int pixelHeight, double dotsPerInch) {
    return static_cast<int>(std::floor(pixelHeight * 72.0 / dotsPerInch + 0.5));
}

int pixelsFromPointSize(int points, double dotsPerInch) {
    return static_cast<int>(std::floor(points * dotsPerInch / 72.0 + 0.5));
}

}  // namespace korvex
