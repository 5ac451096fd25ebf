#pragma once

#include <QPlainTextEdit>
#include <QTimer>
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/linelist.h"
#include "base/textforms.h"
#include "display/boundedtextedit.h"
#include "display/documenttext.h"
#include "display/modelcount.h"
#include "display/pendingtext.h"
#include "display/textprimitives.h"
#include "platform/platform.h"
#include "platform/roomheld.h"

namespace korvex {

class DisplayLineLayout;

// The word-wrapping text window. Its line list is the list of display lines
// as they are shown at the current width and font; counts come from a
// per-hard-line index that is updated only where a change touches it.
class TextWindow : public BoundedTextEdit, public TextPrimitives {
    Q_OBJECT

public:
    explicit TextWindow(QWidget* parent = nullptr);
    ~TextWindow() override;

    // LineList
    void clear() override;
    std::string text() const override;
    bool isDocumentEmpty() const override;
    long long characterCount() const override;

    // Replaces the whole text by a file's bytes (see rawTextFromFileBytes);
    // an equal text changes nothing. Throws KxError above the capacity.
    void loadBytes(std::string_view fileBytes);
    // The same for a file's bytes just read: what is still to come of a big
    // file is taken from them as it goes in, not from a copy.
    void loadFileBytes(const QByteArray& fileBytes) override;
    // The same for a raw document text (blocks separated by U+2029) of the
    // shape given, which the caller has found while making it; or for what
    // `convert` makes of it, piece by piece (`shape` is then the shape of
    // the converted text).
    // A big text comes in pieces: the first at once, so that the first
    // screen shows, the rest between events. Meanwhile the status counts up
    // and scrolling works; any key, click on a control, drop, context menu
    // or close first brings the rest in, so edits wait for the whole text,
    // and so does everything that reads or changes the whole text.
    void loadRawText(const QString& newText, FileTextShape shape, const PendingText::Conversion& convert) override;
    bool isLoading() const override { return !pending_.isEmpty(); }
    // Should memory run out before the rest is in, the window takes back the
    // text it held before the load, and `undo` puts back what else the load
    // changed; for the load under way only.
    void whenLoadGivenUp(std::function<void()> undo) override;
    // The document's raw text with what of a text being loaded is still to come.
    QString rawText() const override;
    // Brings in the rest of a text being loaded, at once.
    void finishLoading() override;

    // The layout objects of the blocks off screen are given back once the
    // width has stayed this long after a change or a load (see
    // DisplayLineLayout::releaseLayouts); a width change after that
    // makes them anew, as the first after a load would.
    static constexpr int kReleaseLayoutsAfterMs = 5000;

    double dotsPerInch() const override { return logicalDpiY(); }
    QString firstDisplayLineOf(const QString& text) const override;

    // Runs `change` (one that recreates the native window, say) and puts
    // caret, selection and scrolling back as they were.
    void keepPlace(const std::function<void()>& change);

    void withoutUndo(const std::function<void()>& edits) override;
    QTextDocument& textDocument() override { return *document(); }
    LineCounter lineCounter() const override;
    void holdLineCounts() override;
    void releaseLineCounts(const std::vector<int>& changed, std::optional<ModelCount::Part> counted) override;

    Selection selection() const override;
    void select(int anchor, int position) override;
    void selectAllText() override { selectAll(); }
    void keepView(const std::function<void()>& change) override;
    QString selectedText() const override { return textCursor().selectedText(); }
    std::string selectedBytes() const override;
    // See BoundedTextEdit for what the window loads.
    void replaceSelection(std::string_view bytes) override;

    // The display line holding the selection start, and the column in it (both from 0).
    struct CaretPlace {
        int line;
        int column;
    };
    CaretPlace caretPlace() const;
    // The caret as a position in the document; placing it clamps to the text.
    int caretPosition() const { return textCursor().position(); }
    void placeCaret(long long position);
    int caretLine() const { return caretPlace().line; }
    int caretColumn() const { return caretPlace().column; }

    QFont textFont() const override { return font(); }
    void setTextFont(const QFont& chosen) override { setFont(chosen); }
    ControlColours colours() const override { return colours_; }
    void setColours(ControlColours colours) override;
    bool isLocked() const override { return isReadOnly(); }
    void setLocked(bool locked) override { setReadOnly(locked); }

    void announceUnstorable(QStringView text) override;

signals:
    // A character key arrived; sent before the key takes effect.
    void characterKeyPressed();
    // The user changed the text (typing, deleting, pasting, dropping, undo, context menu).
    void userEdited();
    // The display lines were counted anew at a new width: counts and caret places changed.
    void shownLinesRecounted();
    // So many characters the code page cannot hold are about to go in as '?'.
    void unstorableEntering(qsizetype count);
    // Memory ran out between events: what was under way (a load, a count) was
    // given up, and the window holds what it held before.
    void outOfMemory();

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
    // Pasted or dropped text: storable, and after the rest of a text being loaded.
    void prepareInserted(QString& text) override;

private:
    class ProgramEdit;
    struct LinePlace {
        int position;  // document position of the line's first character
        int length;
    };
    LinePlace placeOfLine(int index) const;
    void loadBytesOf(std::string_view bytes, const QByteArray& owner);
    // Replaces the text by `first` and what is still to come in `rest`,
    // together of the shape given; `before` is the window's text, which comes
    // back should the rest not come in.
    void load(const QString& first, FileTextShape shape, const PendingText& rest, const QString& before = {});
    void insertAt(int position, std::string_view bytes);
    void onContentsChange(int from, int removed, int added);
    // Its length, without making it.
    qsizetype rawLength() const;
    qsizetype toCome() const;
    bool holds(const QString& text) const;
    // Brings the next piece in; should memory run out, the load is given up.
    void appendNextPiece(qsizetype size);
    void takeInPiece(qsizetype size);
    void makeSureThePieceFits(const QString& piece) const;
    void appendPieceBetweenEvents();
    void giveUpLoad();
    // Empties the window after memory ran out inside one of Qt's edits, and
    // closes what the edit left open.
    void emptyAfterFailedEdit();
    bool editLeftOpen() const;
    // What the document's text gives back to the system when it goes.
    size_t roomGivenBack() const;
    // What putting the text from before back, which takes `wayBack`, needs beyond that.
    size_t roomForTheWayBack(size_t wayBack) const;
    void makeAhead(qsizetype size);
    // At most so many blocks are on screen: each takes a display line at least.
    int linesShown() const;
    bool showsEnd() const;
    // Gives back the layout objects of a piece of the blocks off screen
    // (see DisplayLineLayout::releaseLayouts), the next piece between events.
    void releaseLayoutsOffScreen();
    void releaseLayoutsLater();
    // Gives the blocks of a text that came in pieces their layout objects (see
    // DisplayLineLayout::giveLayouts), a piece of them between events.
    void giveLayoutsBetweenEvents();
    void stopLoading();
    // Lays the text out at the window's width when a drag of its edge put that off.
    void settleWidth();
    class LoadGate;

    DisplayLineLayout* layout_;
    ControlColours colours_;
    int programEdits_ = 0;
    bool signalsWereBlocked_ = false;  // before the line counts were held
    // What of a text being loaded in pieces is still to come: the piece
    // after the one going in, written and counted meanwhile on another
    // thread, and the rest.
    struct AheadPiece {
        PendingText::Range range;
        QString text;
        std::optional<ModelCount::Part> counted;
    };
    std::future<AheadPiece> ahead_;
    std::shared_ptr<std::atomic<bool>> aheadStop_;
    PendingText pending_;
    QString spare_;                // room for the next piece
    qsizetype pendingBreaks_ = 0;  // block breaks in both
    // What a load in pieces replaced, until its rest is in, and the room
    // it takes again should it come back.
    struct BeforeLoad {
        QString text;
        int caret = 0;
        std::function<void()> undo;
        size_t wayBack = 0;
        std::unique_ptr<RoomHeld> room = std::make_unique<RoomHeld>();
    };
    std::optional<BeforeLoad> beforeLoad_;
    QTimer loadTimer_;
    std::unique_ptr<LoadGate> loadGate_;
    QTimer widthTimer_;  // active while a new width is not yet laid out
    QTimer releaseTimer_;
    int releaseNext_ = -1;  // the next block whose layout object goes, while they go
    QTimer giveTimer_;
    int giveNext_ = 0;         // the next block to get its layout object, while they are given
    bool givingHeld_ = false;  // while line counts are held
};

}  // namespace korvex
