#include "base/linelist.h"

namespace korvex {

int LineList::count() const {
    const int shown = shownLineCount();
    return shownLineLength(shown - 1) == 0 ? shown - 1 : shown;
}

std::string LineList::get(int index) const {
    if (index < 0 || index >= shownLineCount()) return {};
    return shownLineText(index, kMaxLineText);
}

void LineList::forEach(const std::function<void(std::string_view)>& visit) const {
    visitShownLines(count(), kMaxLineText, visit);
}

void LineList::visitShownLines(int lines, size_t maxLength, const std::function<void(std::string_view)>& visit) const {
    for (int i = 0; i < lines; ++i) visit(shownLineText(i, maxLength));
}

void LineList::insert(int index, std::string_view line) {
    const int shown = shownLineCount();
    if (index >= 0 && index < shown) {
        std::string bytes(line);
        bytes += "\r\n";
        insertAtLineStart(index, bytes);
    } else if (index == shown) {
        // Behind a last line that holds text: the new line is joined on with a break in front.
        std::string bytes = "\r\n";
        bytes += line;
        appendAtEnd(bytes);
    }
}

void LineList::add(std::string_view line) { insert(count(), line); }

void LineList::remove(int index) {
    if (index >= 0 && index < shownLineCount()) eraseShownLine(index);
}

bool LineList::isDocumentEmpty() const {
    const int shown = shownLineCount();
    for (int i = 0; i < shown; ++i) {
        if (shownLineLength(i) > 0) return false;
    }
    return true;
}

long long LineList::characterCount() const {
    long long sum = 0;
    const int shown = shownLineCount();
    for (int i = 0; i < shown; ++i) sum += static_cast<long long>(shownLineLength(i));
    return sum;
}

}  // namespace korvex
