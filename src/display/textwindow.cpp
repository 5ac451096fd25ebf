#include "display/textwindow.h"

#include <private/qtextdocument_p.h>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextDocumentLayout>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QtMath>
#include <algorithm>
#include <limits>
#include <new>

#include "base/anotherthread.h"
#include "base/kxerror.h"
#include "display/characterkey.h"
#include "display/displaylinelayout.h"
#include "display/documenttext.h"
#include "display/screencolours.h"
#include "display/wholetext.h"
#include "platform/freememory.h"

namespace korvex {

// Marks changes the program makes itself, which are not user edits.
class TextWindow::ProgramEdit {
public:
    explicit ProgramEdit(TextWindow& window) : window_(window) { ++window_.programEdits_; }
    ~ProgramEdit() { --window_.programEdits_; }
    ProgramEdit(const ProgramEdit&) = delete;
    ProgramEdit& operator=(const ProgramEdit&) = delete;

private:
    TextWindow& window_;
};

namespace {

// The first piece of a big text, and every further one, ends at the first
// block end after this many characters: the first screen costs a few
// milliseconds, and the window answers between pieces.
constexpr qsizetype kFirstPiece = qsizetype{256} * 1024;
constexpr qsizetype kPiece = qsizetype{2} * 1024 * 1024;
// More than a screen, and than the header search reads: in before loading returns.
constexpr int kFirstScreenLines = 64;
constexpr qsizetype kAll = std::numeric_limits<qsizetype>::max();
// Qt lays out every hard line anew for a new width. From this many on that
// takes about a frame (15 ms here, twice that the first time), so while the
// window's edge is dragged only the lines shown are laid out at each step,
// and every line once the edge has stayed.
constexpr int kLaidOutAtOnceBelow = 100'000;
// The layout objects of so many blocks are given or go back at a time, a few milliseconds' work.
constexpr int kLayoutsPiece = 16 * 1024;

// The window's reaction to a text put back: painting it, and the like.
constexpr size_t kReactionRoom = size_t{8} << 20;
// A block of memory this big the allocator has from the system for itself
// alone, and gives back when it is freed; smaller ones may stay with it.
constexpr size_t kOwnMemoryFrom = size_t{32} << 20;

// Qt grows its buffer and its tables to powers of two.
size_t grown(size_t bytes) { return qNextPowerOfTwo(static_cast<quint64>(bytes)); }

// What a raw text of `characters` characters (block separators included) in
// `blocks` blocks takes once it is put in at once: Qt's buffer, which holds
// each block's separator once more, its tables of the pieces (two a block)
// and of the blocks, and the counts of their lines.
size_t roomOfText(qsizetype characters, qsizetype blocks) {
    const auto units = static_cast<size_t>(characters + blocks + 1);
    const auto count = static_cast<size_t>(blocks);
    return grown(units * sizeof(QChar) + 32) + grown(2 * count * sizeof(QTextFragmentData)) +
           grown(count * sizeof(QTextBlockData)) + count * 4 * sizeof(int);
}

qsizetype pieceEnd(const QString& text, qsizetype from, qsizetype size) {
    if (text.size() - from <= size) return text.size();
    const qsizetype end = text.indexOf(QChar::ParagraphSeparator, from + size);
    return end < 0 ? text.size() : end;
}

}  // namespace

TextWindow::TextWindow(QWidget* parent) : BoundedTextEdit(parent) {
    loadTimer_.setInterval(0);
    connect(&loadTimer_, &QTimer::timeout, this, &TextWindow::appendPieceBetweenEvents);
    auto* doc = new QTextDocument(this);
    layout_ = new DisplayLineLayout(doc);
    layout_->whenRecounted([this] { emit shownLinesRecounted(); });
    layout_->whenOutOfMemory([this] { emit outOfMemory(); });
    layout_->beforeQuestions([this] { settleWidth(); });
    widthTimer_.setInterval(DisplayLineLayout::kWidthSettleMs);  // running while a new width waits
    connect(&widthTimer_, &QTimer::timeout, this, &TextWindow::settleWidth);
    releaseTimer_.setSingleShot(true);
    connect(&releaseTimer_, &QTimer::timeout, this, &TextWindow::releaseLayoutsOffScreen);
    giveTimer_.setSingleShot(true);
    connect(&giveTimer_, &QTimer::timeout, this, &TextWindow::giveLayoutsBetweenEvents);
    doc->setDocumentLayout(layout_);
    setDocument(doc);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    connect(doc, &QTextDocument::contentsChange, this, &TextWindow::onContentsChange);
}

TextWindow::~TextWindow() = default;

void TextWindow::setColours(ControlColours colours) {
    colours_ = colours;
    applyColours(*this, colours);
}

void TextWindow::onContentsChange(int /*from*/, int removed, int added) {
    if (programEdits_ == 0 && (removed > 0 || added > 0)) emit userEdited();
}

void TextWindow::clear() {
    stopLoading();
    ProgramEdit edit(*this);
    QPlainTextEdit::clear();
}

std::string TextWindow::text() const { return bytesFromDocumentText(rawText()); }

QString TextWindow::rawText() const {
    if (!isLoading()) return wholeText(*document());
    const QString rest = pending_.rest();
    return wholeText(*document(), rest.size()).append(rest);
}

qsizetype TextWindow::toCome() const { return pending_.characters(); }

qsizetype TextWindow::rawLength() const { return document()->characterCount() - 1 + toCome(); }

// The whole-text comparison copies the document; texts of different length differ anyway.
bool TextWindow::holds(const QString& text) const { return text.size() == rawLength() && text == rawText(); }

// Nothing but line breaks, in the document and in what is still to come.
bool TextWindow::isDocumentEmpty() const { return characterCount() == 0; }

long long TextWindow::characterCount() const {
    return static_cast<long long>(document()->characterCount()) - document()->blockCount() + toCome() - pendingBreaks_;
}

void TextWindow::loadBytes(std::string_view fileBytes) { loadBytesOf(fileBytes, {}); }

void TextWindow::loadFileBytes(const QByteArray& fileBytes) {
    loadBytesOf({fileBytes.constData(), static_cast<size_t>(fileBytes.size())}, fileBytes);
}

// `owner`, when not null, holds `bytes`; what is still to come of a big file
// stays there instead of being copied.
void TextWindow::loadBytesOf(std::string_view bytes, const QByteArray& owner) {
    bytes = bytes.substr(0, bytes.find('\0'));
    // A big text's rest is converted piece by piece as it goes in, unless it may equal the window's text.
    const size_t firstEnd = lineBreakFrom(bytes, static_cast<size_t>(kFirstPiece));
    if (firstEnd < bytes.size()) {
        const FileTextShape shape = measureFileText(bytes);
        if (shape.characters != rawLength()) {
            FileTextShape firstShape;
            const QString first = rawTextFromFileBytes(bytes.substr(0, firstEnd), firstShape);
            const qsizetype restCharacters = shape.characters - firstShape.characters;
            PendingText rest;
            if (owner.isNull()) {
                const std::string_view restBytes = bytes.substr(firstEnd);
                rest.holdBytes(QByteArray(restBytes.data(), static_cast<qsizetype>(restBytes.size())), 0,
                               restCharacters);
            } else {
                rest.holdBytes(owner, static_cast<qsizetype>(firstEnd), restCharacters);
            }
            load(first, shape, rest, rawText());
            return;
        }
    }
    FileTextShape shape;
    const QString text = rawTextFromFileBytes(bytes, shape);
    if (!holds(text)) load(text, shape, {});
}

// While a text is loading: lets scrolling and moving about the text window
// through, but first brings the rest of the text in before any event that
// could change or read the whole text (keys, clicks on controls, drops,
// context menus, closing a window).
class TextWindow::LoadGate : public QObject {
public:
    explicit LoadGate(TextWindow& window) : window_(window) { QCoreApplication::instance()->installEventFilter(this); }
    ~LoadGate() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (!waits(target, event)) return false;
        try {
            window_.finishLoading();
        } catch (const std::bad_alloc&) {
            emit window_.outOfMemory();
            return true;  // the key or click was meant for the text that did not come
        }
        return false;
    }

private:
    bool waits(QObject* target, const QEvent* event) const {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::InputMethod:
            case QEvent::Drop:
            case QEvent::ContextMenu:
            case QEvent::Close: return true;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick: return !movesAbout(target, static_cast<const QMouseEvent*>(event));
            default: return false;
        }
    }

    // A left click into the text or on its scroll bar changes nothing.
    bool movesAbout(QObject* target, const QMouseEvent* event) const {
        if (event->button() != Qt::LeftButton) return false;
        for (QObject* o = target; o; o = o->parent()) {
            if (o == window_.viewport() || o == window_.verticalScrollBar()) return true;
        }
        return false;
    }

    TextWindow& window_;
};

void TextWindow::loadRawText(const QString& newText, FileTextShape shape, const PendingText::Conversion& convert) {
    if (!convert && holds(newText)) return;
    const qsizetype firstEnd = pieceEnd(newText, 0, kFirstPiece);
    QString first;
    if (convert) {
        convert(newText, 0, firstEnd, first);
    } else {
        first = newText.first(firstEnd);
    }
    PendingText rest;
    if (firstEnd < newText.size()) {
        rest.holdText(newText, firstEnd, shape.characters - first.size(), convert);
    } else if (convert && holds(first)) {
        return;  // converted, the whole text is what the window holds already
    }
    load(first, shape, rest, convert ? newText : rawText());
}

void TextWindow::load(const QString& first, FileTextShape shape, const PendingText& rest, const QString& before) {
    // Stored, every break but the last block's end takes two bytes.
    const size_t storedBytes = static_cast<size_t>(shape.characters) + shape.lines - 1;
    if (!withinBounds(storedBytes, shape.lines, shape.longest)) throw KxError(kOverCapacity.toStdString());
    // Should the rest not come in, the text from before goes back into the
    // document. The room that takes is held from the start, so that whatever
    // else memory goes to meanwhile (another thread's first allocation takes
    // 64 MB of address space, say) leaves it alone; what the text in the
    // document gives back when it goes counts towards it. Where the room is
    // not to be had, the load is refused before anything changes.
    BeforeLoad comeBack;
    if (!rest.isEmpty()) {
        comeBack.text = before;
        comeBack.caret = textCursor().position();
        comeBack.wayBack = roomOfText(before.size(), document()->blockCount() + pendingBreaks_) + kReactionRoom;
        comeBack.room->resize(roomForTheWayBack(comeBack.wayBack));
    }
    stopLoading();
    if (!rest.isEmpty()) beforeLoad_ = std::move(comeBack);
    ProgramEdit edit(*this);
    layout_->expectText(first);
    const auto forget = qScopeGuard([this] { layout_->forgetExpected(); });
    try {
        setPlainText(first);
        if (rest.isEmpty()) return;
        beforeLoad_->room->resize(roomForTheWayBack(beforeLoad_->wayBack));
        pending_ = rest;
        pendingBreaks_ = static_cast<qsizetype>(shape.lines) - document()->blockCount();
        // The header is looked for among the first display lines: they are all in before this returns.
        while (isLoading() && shownLineCount() <= kFirstScreenLines) appendNextPiece(kPiece);
        if (!isLoading()) return;
        if (!ahead_.valid()) makeAhead(kPiece);  // while the first screen is painted
        loadGate_ = std::make_unique<LoadGate>(*this);
        loadTimer_.start();
    } catch (const std::bad_alloc&) {
        giveUpLoad();
        throw;
    }
}

void TextWindow::whenLoadGivenUp(std::function<void()> undo) {
    if (beforeLoad_) beforeLoad_->undo = std::move(undo);
}

void TextWindow::appendPieceBetweenEvents() {
    try {
        appendNextPiece(kPiece);
    } catch (const std::bad_alloc&) {
        emit outOfMemory();
    }
}

void TextWindow::appendNextPiece(qsizetype size) {
    if (!isLoading()) return;
    try {
        takeInPiece(size);
    } catch (const std::bad_alloc&) {
        giveUpLoad();
        throw;
    }
}

// The part in so far goes first, and the room held for the way back, which
// makes room for the text from before. Its blocks get their layout objects
// between events, as after a load: it needs no more room than it had.
void TextWindow::giveUpLoad() {
    std::optional<BeforeLoad> before;
    before.swap(beforeLoad_);
    stopLoading();
    if (!before) {
        // Nothing to go back to: the window keeps its text unless Qt's document was half replaced.
        if (editLeftOpen()) {
            ProgramEdit edit(*this);
            emptyAfterFailedEdit();
        }
        return;
    }
    {
        ProgramEdit edit(*this);
        emptyAfterFailedEdit();
        before->room->resize(0);
        try {
            layout_->expectText(before->text, true);
            const auto forget = qScopeGuard([this] { layout_->forgetExpected(); });
            setPlainText(before->text);
        } catch (const std::bad_alloc&) {
            emptyAfterFailedEdit();  // empty, but a window that works
            if (before->undo) before->undo();
            throw;
        }
        QTextCursor caret(document());
        caret.setPosition(std::clamp(before->caret, 0, document()->characterCount() - 1));
        setTextCursor(caret);
        giveNext_ = 0;
        giveTimer_.start(0);
    }
    if (before->undo) before->undo();
}

// Qt's document does not survive memory running out inside an edit: it
// stays in the edit block, so that neither the layout nor the window hears
// of any change after it, undo stays off, and where setPlainText ran short
// the window's caret is gone. The text goes (and with it the memory it
// took), the edit block is closed and caret and undo come back: the window
// works as before. The counts are taken anew.
void TextWindow::emptyAfterFailedEdit() {
    layout_->startOver();
    if (textCursor().isNull()) setTextCursor(QTextCursor(document()));  // before anything asks where it is
    QPlainTextEdit::clear();  // Qt tells the layout itself, inside an edit block too
    QTextDocumentPrivate* text = QTextDocumentPrivate::get(document());
    while (text->isInEditBlock()) text->endEditBlock();
    document()->setUndoRedoEnabled(true);  // off during a load's edits only
}

bool TextWindow::editLeftOpen() const {
    return QTextDocumentPrivate::get(document())->isInEditBlock() || textCursor().isNull();
}

// Surely its buffer and its tables, where they have memory of their own.
size_t TextWindow::roomGivenBack() const {
    const QTextDocumentPrivate& text = *QTextDocumentPrivate::get(document());
    size_t room = 0;
    for (const size_t part : {static_cast<size_t>(text.buffer().capacity()) * sizeof(QChar),
                              grown(static_cast<size_t>(text.fragmentMap().numNodes()) * sizeof(QTextFragmentData)),
                              grown(static_cast<size_t>(text.blockMap().numNodes()) * sizeof(QTextBlockData))}) {
        if (part >= kOwnMemoryFrom) room += part;
    }
    return room;
}

size_t TextWindow::roomForTheWayBack(size_t wayBack) const {
    const size_t givenBack = roomGivenBack();
    return wayBack > givenBack ? wayBack - givenBack : 0;
}

void TextWindow::takeInPiece(qsizetype size) {
    QString piece;
    std::optional<ModelCount::Part> counted;
    if (ahead_.valid()) {
        AheadPiece made = ahead_.get();
        pending_.delivered(made.range, made.text.size());
        piece = std::move(made.text);
        counted = std::move(made.counted);
    } else {
        pending_.takePiece(size, spare_);
        piece = std::move(spare_);
    }
    layout_->expectAppend(piece, showsEnd(), std::move(counted));
    if (size < kAll && !pending_.allReserved()) makeAhead(size);
    makeSureThePieceFits(piece);
    ProgramEdit edit(*this);
    const bool undo = document()->isUndoRedoEnabled();
    document()->setUndoRedoEnabled(false);  // the load is no step to undo
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    const int blocks = document()->blockCount();
    cursor.insertText(piece);
    document()->setUndoRedoEnabled(undo);
    pendingBreaks_ -= document()->blockCount() - blocks;
    // What the text in so far takes it gives back when it goes.
    if (beforeLoad_) beforeLoad_->room->resize(roomForTheWayBack(beforeLoad_->wayBack));
    // Two buffers take turns, so that the pieces leave no scattered memory behind.
    spare_ = std::move(piece);
    if (isLoading()) return;
    stopLoading();
    // Not as they came in: the text is whole sooner, and a width change seldom comes at once.
    giveNext_ = 0;
    giveTimer_.start(0);
}

// Qt's document takes no failed allocation of its tables (the program ends
// there) and stays inside the edit in which its buffer ran short: the room
// a piece takes in both is asked for while nothing has changed yet. Throws
// std::bad_alloc when it is not there.
void TextWindow::makeSureThePieceFits(const QString& piece) const {
    const QTextDocumentPrivate& text = *QTextDocumentPrivate::get(document());
    const auto blocks = static_cast<size_t>(piece.count(QChar::ParagraphSeparator));
    // What a part of `now` bytes that grows to hold `needed` takes besides:
    // with memory of its own it grows in place, else it moves whole.
    const auto growth = [](size_t now, size_t needed) -> size_t {
        if (needed <= now) return 0;
        return now >= kOwnMemoryFrom ? grown(needed) - now : grown(needed);
    };
    const auto fragments = static_cast<size_t>(text.fragmentMap().numNodes());
    const auto blocksNow = static_cast<size_t>(text.blockMap().numNodes());
    const QString buffer = text.buffer();  // shared, not copied; gone before the piece goes in
    const size_t bytes = growth(static_cast<size_t>(buffer.capacity()) * sizeof(QChar),
                                (static_cast<size_t>(buffer.size() + piece.size()) + blocks) * sizeof(QChar) + 32) +
                         growth(grown(fragments * sizeof(QTextFragmentData)),
                                (fragments + 2 * blocks) * sizeof(QTextFragmentData)) +
                         growth(grown(blocksNow * sizeof(QTextBlockData)),
                                (blocksNow + blocks) * sizeof(QTextBlockData));
    RoomHeld room;
    room.resize(bytes + kReactionRoom);
}

// The next piece is written and counted on another core while this one goes in.
void TextWindow::makeAhead(qsizetype size) {
    const PendingText::Range range = pending_.reserve(size);
    aheadStop_ = std::make_shared<std::atomic<bool>>(false);
    ahead_ = onAnotherThread([source = pending_, range, room = std::move(spare_), count = layout_->appendCounter(),
                              stop = aheadStop_]() mutable {
        AheadPiece made{range, std::move(room), {}};
        source.write(range, made.text);
        if (count) made.counted = count(QStringView(made.text).sliced(1), *stop);
        return made;
    });
}

int TextWindow::linesShown() const { return viewport()->height() / std::max(1, fontMetrics().lineSpacing()) + 1; }

// More blocks below the first shown one than lines fit in the window keep the end out of sight.
bool TextWindow::showsEnd() const {
    return document()->blockCount() - firstVisibleBlock().blockNumber() <= linesShown();
}

void TextWindow::releaseLayoutsLater() {
    releaseNext_ = -1;
    releaseTimer_.start(kReleaseLayoutsAfterMs);
}

void TextWindow::releaseLayoutsOffScreen() {
    if (isLoading() || widthTimer_.isActive() || giveTimer_.isActive()) {
        releaseLayoutsLater();
        return;
    }
    const int first = firstVisibleBlock().blockNumber();
    const int last = first + linesShown();
    const int caret = textCursor().blockNumber();  // its layout may hold text being composed
    releaseNext_ = layout_->releaseLayouts(std::max(releaseNext_, 0), kLayoutsPiece, [&](int block) {
        return (block >= first && block <= last) || block == caret;
    });
    returnFreedMemory();
    if (releaseNext_ >= 0) releaseTimer_.start(0);
}

void TextWindow::giveLayoutsBetweenEvents() {
    try {
        giveNext_ = layout_->giveLayouts(giveNext_, kLayoutsPiece);
    } catch (const std::bad_alloc&) {
        return;  // they are only a head start for the next width change
    }
    if (giveNext_ >= 0) giveTimer_.start(0);
}

void TextWindow::finishLoading() {
    while (isLoading()) appendNextPiece(kAll);
}

void TextWindow::stopLoading() {
    loadTimer_.stop();
    giveTimer_.stop();
    // The gate may be filtering the event that brought the rest in: it goes when that is done,
    // but filters nothing more from now on, as the window may be gone before then.
    if (loadGate_) {
        QCoreApplication::instance()->removeEventFilter(loadGate_.get());
        loadGate_.release()->deleteLater();
    }
    if (ahead_.valid()) {
        aheadStop_->store(true);
        ahead_ = {};  // waits for the piece on its way
    }
    spare_.clear();
    pending_.clear();
    pendingBreaks_ = 0;
    beforeLoad_.reset();
    releaseLayoutsLater();
}

QString TextWindow::firstDisplayLineOf(const QString& text) const {
    QTextLayout layout(text, document()->defaultFont());
    layout.setTextOption(document()->defaultTextOption());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    QString first;
    if (line.isValid()) {
        line.setLineWidth(viewport()->width() - 2 * document()->documentMargin());
        first = text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return first;
}

void TextWindow::placeCaret(long long position) {
    QTextCursor caret(document());
    caret.setPosition(static_cast<int>(std::clamp<long long>(position, 0, document()->characterCount() - 1)));
    setTextCursor(caret);
}

void TextWindow::keepPlace(const std::function<void()>& change) {
    const QTextCursor cursor = textCursor();
    keepView([&] {
        change();
        setTextCursor(cursor);
    });
}

void TextWindow::keepView(const std::function<void()>& change) {
    const int vertical = verticalScrollBar()->value();
    const int horizontal = horizontalScrollBar()->value();
    change();
    verticalScrollBar()->setValue(vertical);
    horizontalScrollBar()->setValue(horizontal);
}

TextWindow::Selection TextWindow::selection() const {
    const QTextCursor cursor = textCursor();
    return {cursor.anchor(), cursor.position()};
}

void TextWindow::select(int anchor, int position) {
    QTextCursor cursor(document());
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void TextWindow::withoutUndo(const std::function<void()>& edits) {
    document()->setUndoRedoEnabled(false);
    edits();
    document()->setUndoRedoEnabled(true);
}

TextPrimitives::LineCounter TextWindow::lineCounter() const { return layout_->appendCounter(); }

// The window's signals wait too: the status, answering each, would ask the
// counts and so measure the lines after every edit block after all.
void TextWindow::holdLineCounts() {
    layout_->holdCounts();
    signalsWereBlocked_ = blockSignals(true);
    // Layout objects handed out between events wait, too: the program is not idle meanwhile.
    givingHeld_ = giveTimer_.isActive();
    giveTimer_.stop();
}

void TextWindow::releaseLineCounts(const std::vector<int>& changed, std::optional<ModelCount::Part> counted) {
    blockSignals(signalsWereBlocked_);
    layout_->releaseCounts(changed, std::move(counted));
    if (givingHeld_) giveTimer_.start(0);
    givingHeld_ = false;
    emit textChanged();
}

std::string TextWindow::selectedBytes() const { return bytesFromDocumentText(textCursor().selectedText()); }

void TextWindow::replaceSelection(std::string_view bytes) {
    QString text = documentTextFromBytes(bytes);
    prepareInserted(text);
    if (!fitsAt(textCursor(), text)) throw KxError(kOverCapacity.toStdString());
    ProgramEdit edit(*this);
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
}

TextWindow::CaretPlace TextWindow::caretPlace() const {
    // Only the caret's block is laid out (Qt has mostly done so already).
    const int position = textCursor().selectionStart();
    const QTextBlock block = document()->findBlock(position);
    const int inBlock = position - block.position();
    const auto before = layout_->index().linesBefore(block.blockNumber());  // first: it may lay out anew
    const QTextLine line = layout_->laidOut(block)->lineForTextPosition(inBlock);
    if (!line.isValid()) return {static_cast<int>(before), inBlock};
    return {static_cast<int>(before) + line.lineNumber(), inBlock - line.textStart()};
}

int TextWindow::shownLineCount() const { return static_cast<int>(layout_->index().totalLines()); }

TextWindow::LinePlace TextWindow::placeOfLine(int index) const {
    const auto place = layout_->index().locate(index);
    const QTextBlock block = document()->findBlockByNumber(place.block);
    const QTextLine line = layout_->laidOut(block)->lineAt(place.lineInBlock);
    return {block.position() + line.textStart(), line.textLength()};
}

size_t TextWindow::shownLineLength(int index) const { return static_cast<size_t>(placeOfLine(index).length); }

std::string TextWindow::shownLineText(int index, size_t maxLength) const {
    const LinePlace place = placeOfLine(index);
    const QTextBlock block = document()->findBlock(place.position);
    const int length = std::min(place.length, static_cast<int>(maxLength));
    return toCp1252(QStringView(block.text()).mid(place.position - block.position(), length));
}

void TextWindow::visitShownLines(int lines, size_t maxLength,
                                 const std::function<void(std::string_view)>& visit) const {
    int visited = 0;
    for (QTextBlock block = document()->firstBlock(); block.isValid() && visited < lines; block = block.next()) {
        const QString text = block.text();
        const std::vector<int>& starts = layout_->lineStarts(text);
        for (size_t k = 0; k < starts.size() && visited < lines; ++k, ++visited) {
            const int end = k + 1 < starts.size() ? starts[k + 1] : static_cast<int>(text.size());
            const auto length = std::min(static_cast<qsizetype>(end - starts[k]), static_cast<qsizetype>(maxLength));
            visit(toCp1252(QStringView(text).mid(starts[k], length)));
        }
    }
}

void TextWindow::insertAt(int position, std::string_view bytes) {
    ProgramEdit edit(*this);
    QTextCursor cursor(document());
    cursor.setPosition(position);
    cursor.insertText(documentTextFromBytes(bytes));
}

void TextWindow::insertAtLineStart(int index, std::string_view bytes) { insertAt(placeOfLine(index).position, bytes); }

void TextWindow::appendAtEnd(std::string_view bytes) {
    finishLoading();
    insertAt(document()->characterCount() - 1, bytes);
}

void TextWindow::eraseShownLine(int index) {
    if (index + 1 >= shownLineCount()) finishLoading();  // the line may go on in the rest
    const LinePlace place = placeOfLine(index);
    const int end = index + 1 < shownLineCount() ? placeOfLine(index + 1).position : place.position + place.length;
    ProgramEdit edit(*this);
    QTextCursor cursor(document());
    cursor.setPosition(place.position);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TextWindow::resizeEvent(QResizeEvent* event) {
    const bool newWidth = event->size().width() != event->oldSize().width();
    if (newWidth) releaseLayoutsLater();
    if (newWidth && (widthTimer_.isActive() || document()->blockCount() >= kLaidOutAtOnceBelow)) {
        // Meanwhile only the lines shown follow the edge; the scroll bar and the counts wait.
        QResizeEvent sameWidth(event->size(), QSize(event->size().width(), event->oldSize().height()));
        QPlainTextEdit::resizeEvent(&sameWidth);
        layout_->layOutAhead(firstVisibleBlock(), viewport()->width(), viewport()->height());
        viewport()->update();
        widthTimer_.start();
        return;
    }
    QPlainTextEdit::resizeEvent(event);
    if (newWidth) layout_->invalidate(false);
}

void TextWindow::settleWidth() {
    if (!widthTimer_.isActive()) return;
    widthTimer_.stop();
    QResizeEvent newWidth(size(), QSize(-1, height()));
    QPlainTextEdit::resizeEvent(&newWidth);
    layout_->invalidate(true);
}

void TextWindow::keyPressEvent(QKeyEvent* event) {
    if (isCharacterKey(*event)) emit characterKeyPressed();
    QString text = event->text();
    const bool softBreak = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                           event->modifiers().testFlag(Qt::ShiftModifier);
    // A control character is no text input (the control inserts none), so it stays as it came.
    const bool typed = !text.isEmpty() && text.front().category() != QChar::Other_Control;
    if (typed && !isReadOnly()) announceUnstorable(text);
    if (softBreak || (typed && makeStorable(text))) {
        // A line break is always a hard one, and only storable characters enter the text.
        const auto mods = softBreak ? event->modifiers() & ~Qt::ShiftModifier : event->modifiers();
        QKeyEvent storable(event->type(), event->key(), mods, text, event->isAutoRepeat(), event->count());
        QPlainTextEdit::keyPressEvent(&storable);
        event->setAccepted(storable.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextWindow::inputMethodEvent(QInputMethodEvent* event) {
    QString commit = event->commitString();
    if (!isReadOnly()) announceUnstorable(commit);
    if (!makeStorable(commit)) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent storable(event->preeditString(), event->attributes());
    storable.setCommitString(commit, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&storable);
}

void TextWindow::announceUnstorable(QStringView text) {
    if (const qsizetype count = unstorableCount(text)) emit unstorableEntering(count);
}

void TextWindow::prepareInserted(QString& text) {
    announceUnstorable(text);
    makeStorable(text);
    finishLoading();
}

}  // namespace korvex
