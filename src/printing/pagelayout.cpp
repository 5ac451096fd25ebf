#include "printing/pagelayout.h"

#include <array>

namespace korvex {
namespace {

struct SizeRow {
    int pointSize;
    int linesPerPage;
    int marginWidth;
};

constexpr std::array<SizeRow, 10> kSizeRows = {{
    {8, 74, 14},
    {9, 68, 13},
    {10, 63, 12},
    {11, 58, 11},
    {12, 52, 10},
    {13, 47, 9},
    {14, 43, 8},
    {16, 37, 7},
    {18, 33, 6},
    {20, 30, 5},
}};

constexpr SizeRow kOtherSize = {0, 15, 5};

const SizeRow& rowFor(int pointSize) {
    for (const SizeRow& row : kSizeRows) {
        if (row.pointSize == pointSize) return row;
    }
    return kOtherSize;
}

// These faces run wider than the fixed-pitch ones, so their margin needs more blanks.
bool isProportionalFace(std::string_view face) {
    return face == "Arial" || face == "Tahoma" || face == "Comic Sans MS" || face == "MS Sans Serif";
}

}  // namespace

void PrintTo(const PageLayout& layout, std::ostream* os) {
    *os << "{lines " << layout.linesPerPage << ", margin " << layout.marginWidth
        << (layout.withHeader ? ", header}" : ", no header}");
}

PageLayout pageLayoutFor(int pointSize, std::string_view faceName, bool withHeader) {
    const SizeRow& row = rowFor(pointSize);
    PageLayout layout{row.linesPerPage, row.marginWidth, withHeader};
    // Its tall line height leaves room for fewer lines.
    if (faceName == "Comic Sans MS") layout.linesPerPage = layout.linesPerPage * 83 / 100;
    if (withHeader) layout.linesPerPage -= 2;
    if (isProportionalFace(faceName)) layout.marginWidth = layout.marginWidth * 22 / 10;
    return layout;
}

std::string margin(const PageLayout& layout) { return std::string(static_cast<size_t>(layout.marginWidth), ' '); }

std::string withMargin(const PageLayout& layout, std::string_view line) {
    std::string result = margin(layout);
    result.append(line);
    return result;
}

int pageCount(int lineCount, const PageLayout& layout) { return lineCount / layout.linesPerPage + 1; }

std::string footer(const PageLayout& layout, int page) {
    return std::string(static_cast<size_t>(4 * layout.marginWidth), ' ') + "- " + std::to_string(page + 1) + " -";
}

std::vector<std::string> pageLines(const PageLayout& layout, int page, const std::vector<std::string>& printBuffer,
                                   const std::string& headerLine) {
    std::vector<std::string> lines;
    if (layout.withHeader) {
        lines.push_back(headerLine);
        lines.emplace_back();
    }
    const size_t first = static_cast<size_t>(page) * static_cast<size_t>(layout.linesPerPage);
    for (size_t i = first; i < first + static_cast<size_t>(layout.linesPerPage); ++i) {
        lines.push_back(i < printBuffer.size() ? printBuffer[i] : std::string());
    }
    lines.emplace_back();
    lines.push_back(footer(layout, page));
    return lines;
}

}  // namespace korvex
