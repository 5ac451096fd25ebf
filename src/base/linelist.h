#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace korvex {

// The display lines of a word-wrapping text, as a window shows them. Text is
// Windows-1252 bytes with CR LF between hard lines.
//
// An implementation offers the lines that are shown, which include the empty
// line after a final line break (and the single empty line of an empty
// text). On top of that this class gives the list its counting rules:
// count() leaves that empty last line out, get() cuts at 4096 characters,
// insert() and add() follow the rules for the line after the end.
class LineList {
public:
    static constexpr size_t kMaxLineText = 4096;

    virtual ~LineList() = default;

    int count() const;
    std::string get(int index) const;
    void insert(int index, std::string_view line);
    void add(std::string_view line);
    void remove(int index);
    // Visits every line from 0 to count() - 1 as get() gives it, in one pass.
    void forEach(const std::function<void(std::string_view)>& visit) const;

    virtual void clear() = 0;
    virtual std::string text() const = 0;

    // True when no display line holds a character.
    virtual bool isDocumentEmpty() const;
    // The number of characters in all display lines, line breaks not counted.
    virtual long long characterCount() const;

protected:
    // Lines shown, never less than 1.
    virtual int shownLineCount() const = 0;
    virtual size_t shownLineLength(int index) const = 0;
    virtual std::string shownLineText(int index, size_t maxLength) const = 0;
    // The first `lines` shown lines in order, each cut at maxLength; line by
    // line unless an implementation knows a faster way through.
    virtual void visitShownLines(int lines, size_t maxLength, const std::function<void(std::string_view)>& visit) const;
    // Inserts bytes (CR LF makes new hard lines) at the first character of a shown line.
    virtual void insertAtLineStart(int index, std::string_view bytes) = 0;
    virtual void appendAtEnd(std::string_view bytes) = 0;
    // Removes from the first character of a shown line up to the first
    // character of the next one, or to its own end when it is the last.
    virtual void eraseShownLine(int index) = 0;
};

}  // namespace korvex
