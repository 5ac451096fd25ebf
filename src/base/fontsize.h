#pragma once

// The one way between font sizes in points and in screen pixels: settings
// and printing convert with the text window's dots per inch.
namespace korvex {

// Whole points from a font's pixel height; halves round upward.
int pointSizeFromPixels(int pixelHeight, double dotsPerInch);
// Whole pixels from a size in points; halves round upward.
int pixelsFromPointSize(int points, double dotsPerInch);

}  // namespace korvex
