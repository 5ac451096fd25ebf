#pragma once

#include <QPlainTextEdit>
#include <functional>
#include <string>
#include <string_view>

#include "app/linelist.h"
#include "app/textforms.h"
#include "platform/platform.h"

namespace korvex {

class DisplayLineLayout;

// The colours of a text control, kept as the program's colour values so a
// system colour stays a system colour when it is stored again.
struct ControlColours {
    Colour background;
    Colour text;
};

void applyColours(QWidget& control, ControlColours colours);

// The word-wrapping text window. Its line list is the list of display lines
// as they are shown at the current width and font; counts come from a
// per-hard-line index that is updated only where a change touches it.
class TextWindow : public QPlainTextEdit, public LineList {
    Q_OBJECT

public:
    // Above this many bytes, or this many hard lines, a text is refused with
    // "Text überschreitet Memo-Kapazität": the window's document takes seconds
    // per million lines, so a file of millions of empty lines would freeze it.
    static constexpr size_t kCapacity = kLargestReadableFile;
    static constexpr size_t kMaxLines = 4'000'000;

    explicit TextWindow(QWidget* parent = nullptr);
    ~TextWindow() override;

    // LineList
    void clear() override;
    std::string text() const override;
    bool isDocumentEmpty() const override;
    long long characterCount() const override;

    // Replaces the whole text by a file's bytes (see normalizeLoadedText);
    // an equal text changes nothing. Throws KxError above the capacity.
    void loadBytes(std::string_view fileBytes);
    // The same for a raw document text (blocks separated by U+2029) of
    // `lines` blocks, which the caller has counted while making it.
    void loadRawText(const QString& newText, size_t lines);

    // Runs program edits that the user cannot undo; the undo history starts anew.
    void withoutUndo(const std::function<void()>& edits);

    std::string selectedBytes() const;
    // Puts bytes in place of the selection (at the caret when nothing is selected).
    void replaceSelection(std::string_view bytes);

    // The selection start counted with CR and LF as one character each.
    long long selectionStartOffset() const;
    // The display line holding the selection start, and the column in it (both from 0).
    struct CaretPlace {
        int line;
        int column;
    };
    CaretPlace caretPlace() const;
    int caretLine() const { return caretPlace().line; }
    int caretColumn() const { return caretPlace().column; }

    ControlColours colours() const { return colours_; }
    void setColours(ControlColours colours);

signals:
    // A character key arrived; sent before the key takes effect.
    void characterKeyPressed();
    // The user changed the text (typing, deleting, pasting, dropping, undo, context menu).
    void userEdited();

protected:
    int shownLineCount() const override;
    size_t shownLineLength(int index) const override;
    std::string shownLineText(int index, size_t maxLength) const override;
    // Block by block, measured like the counts, so no block is given a layout.
    void visitShownLines(int lines, size_t maxLength,
                         const std::function<void(std::string_view)>& visit) const override;
    void insertAtLineStart(int index, std::string_view bytes) override;
    void appendAtEnd(std::string_view bytes) override;
    void eraseShownLine(int index) override;

    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

public:
    // The way in for pasted and dropped data (keyboard, context menu, drag and drop).
    void insertFromMimeData(const QMimeData* source) override;

private:
    class ProgramEdit;
    struct LinePlace {
        int position;  // document position of the line's first character
        int length;
    };
    LinePlace placeOfLine(int index) const;
    void insertAt(int position, std::string_view bytes);
    void onContentsChange(int from, int removed, int added);

    DisplayLineLayout* layout_;
    ControlColours colours_;
    int programEdits_ = 0;
};

}  // namespace korvex
