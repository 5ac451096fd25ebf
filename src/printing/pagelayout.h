#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// How printed text is laid out on a page: a fixed number of text lines and a
// margin of blanks in front of every line, both chosen from the font.
struct PageLayout {
    int linesPerPage = 0;
    int marginWidth = 0;
    bool withHeader = false;

    friend bool operator==(const PageLayout&, const PageLayout&) = default;
};

void PrintTo(const PageLayout& layout, std::ostream* os);

// The layout for a font size in points and a face name (compared byte for byte).
PageLayout pageLayoutFor(int pointSize, std::string_view faceName, bool withHeader);

std::string margin(const PageLayout& layout);
std::string withMargin(const PageLayout& layout, std::string_view line);

// A whole multiple of linesPerPage (0 included) still gets one more page.
int pageCount(int lineCount, const PageLayout& layout);

// Page numbers are counted from 0; the footer shows them from 1.
std::string footer(const PageLayout& layout, int page);

// The printed lines of one page: header line and empty line (only with header),
// linesPerPage lines of the print buffer (empty past its end), an empty line
// and the footer. Buffer items and headerLine already carry the margin.
std::vector<std::string> pageLines(const PageLayout& layout, int page, const std::vector<std::string>& printBuffer,
                                   const std::string& headerLine);

}  // namespace korvex
