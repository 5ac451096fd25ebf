#include "app/textwindow.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <climits>
#include <optional>

#include "app/cp1252.h"
#include "app/displaylineindex.h"
#include "app/kxerror.h"
#include "app/qtconvert.h"
#include "app/wrapmodel.h"

namespace korvex {

// Qt's plain-text layout, plus the number of display lines of every block.
// Qt lays out only the blocks it paints and counts an unlaid block as one
// line, so the counts are taken here: by the wrap model where it follows
// the font and the block's characters exactly, else by a layout of the
// block's text made just for counting (so no block keeps a layout it was
// given only to be counted).
class DisplayLineLayout : public QPlainTextDocumentLayout {
public:
    explicit DisplayLineLayout(QTextDocument* document) : QPlainTextDocumentLayout(document) {}

    const DisplayLineIndex& index() {
        if (!valid_ || document()->defaultFont() != measuredFont_ || lineWidth() != measuredWidth_) rebuild();
        return index_;
    }

    // The wrap width changed: every count is measured anew on the next question.
    void invalidate() { valid_ = false; }

    QTextLayout* laidOut(const QTextBlock& block) const {
        ensureBlockLayout(block);
        return block.layout();
    }

    // Where each display line of a block's text starts (the first at 0),
    // found the way its count is.
    const std::vector<int>& lineStarts(QStringView text) {
        index();  // measuring follows the current font and width
        if (model_ && model_->lineStarts(text, modelWidth_, starts_)) return starts_;
        starts_.clear();
        layOutAlone(text, [this](const QTextLine& line) { starts_.push_back(line.textStart()); });
        if (starts_.empty()) starts_.push_back(0);
        return starts_;
    }

    // Whether counts come from the wrap model (for the current font).
    bool modelled() {
        index();
        return model_.has_value();
    }

    // Counts the text about to replace the whole document, from the text
    // itself, so the replacement need not measure block by block.
    void expectText(QStringView text) {
        prepareMeasuring();
        expected_ = countText(text);
    }
    void forgetExpected() { expected_.reset(); }

protected:
    void documentChanged(int from, int removed, int added) override {
        QPlainTextDocumentLayout::documentChanged(from, removed, added);
        if (expected_ && from == 0 && static_cast<size_t>(document()->blockCount()) == expected_->size()) {
            adopt(*expected_);  // a change after this one is measured as usual
            expected_.reset();
        } else if (valid_) {
            update(from, added);
        }
    }

private:
    // The width Qt gives every line: read back from the first block's layout.
    qreal lineWidth() const {
        const QTextLine line = laidOut(document()->firstBlock())->lineAt(0);
        return line.isValid() ? line.width() : 0;
    }

    int measure(const QTextBlock& block) { return measure(block.text()); }

    int measure(QStringView text) {
        if (model_) {
            const int lines = model_->lineCount(text, modelWidth_);
            if (lines > 0) return lines;
        }
        int lines = 0;
        layOutAlone(text, [&lines](const QTextLine&) { ++lines; });
        return std::max(1, lines);
    }

    // Lays the text out as Qt would in the window, on a layout of its own
    // that keeps nothing afterwards, and hands over each line.
    template <class Take>
    void layOutAlone(QStringView text, Take take) {
        counter_.setText(text.toString());
        counter_.beginLayout();
        for (QTextLine line = counter_.createLine(); line.isValid(); line = counter_.createLine()) {
            line.setLineWidth(counterWidth_);
            take(line);
        }
        counter_.endLayout();
        counter_.clearLayout();
    }

    void prepareMeasuring() {
        const QFont font = document()->defaultFont();
        if (!modelFontKnown_ || font != modelFont_) {
            model_ = WrapModel::forFont(font);
            modelFont_ = font;
            modelFontKnown_ = true;
        }
        counter_.setFont(font);
        counter_.setTextOption(document()->defaultTextOption());
        counterWidth_ = lineWidth();
        modelWidth_ = static_cast<int>(counterWidth_ * 64);  // exact: Qt keeps it in 1/64 pixel
    }

    // The counts of every block of a raw text (blocks separated by U+2029).
    std::vector<int> countText(QStringView text) {
        std::vector<int> counts;
        qsizetype start = 0;
        for (;;) {
            const qsizetype end = text.indexOf(QChar::ParagraphSeparator, start);
            counts.push_back(measure(text.sliced(start, (end < 0 ? text.size() : end) - start)));
            if (end < 0) return counts;
            start = end + 1;
        }
    }

    void update(int from, int added) {
        const QTextDocument* doc = document();
        const int first = doc->findBlock(from).blockNumber();
        QTextBlock last = doc->findBlock(from + added);
        if (!last.isValid()) last = doc->lastBlock();
        const int newBlocks = last.blockNumber() - first + 1;
        const int oldBlocks = newBlocks - (doc->blockCount() - index_.blockCount());
        if (first < 0 || oldBlocks < 0 || first + oldBlocks > index_.blockCount()) {
            valid_ = false;  // not a change this bookkeeping understands: measure anew on the next question
            return;
        }
        std::vector<int> counts;
        counts.reserve(static_cast<size_t>(newBlocks));
        for (QTextBlock b = doc->findBlockByNumber(first); b.isValid() && b.blockNumber() <= last.blockNumber();
             b = b.next()) {
            counts.push_back(measure(b));
        }
        index_.replace(first, oldBlocks, counts);
    }

    void rebuild() {
        prepareMeasuring();
        // One copy of the whole text is far cheaper than one per block.
        std::vector<int> counts = countText(document()->toRawText());
        if (counts.size() != static_cast<size_t>(document()->blockCount())) {
            counts.clear();
            for (QTextBlock b = document()->firstBlock(); b.isValid(); b = b.next()) counts.push_back(measure(b));
        }
        adopt(counts);
    }

    void adopt(const std::vector<int>& counts) {
        index_.assign(counts);
        measuredFont_ = document()->defaultFont();
        measuredWidth_ = counterWidth_;
        valid_ = true;
    }

    DisplayLineIndex index_;
    bool valid_ = false;
    std::optional<std::vector<int>> expected_;
    QFont measuredFont_;
    qreal measuredWidth_ = -1;

    std::optional<WrapModel> model_;
    QFont modelFont_;
    bool modelFontKnown_ = false;
    int modelWidth_ = 0;
    QTextLayout counter_;
    qreal counterWidth_ = 0;
    std::vector<int> starts_;
};

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

void applyColours(QWidget& control, ControlColours colours) {
    QPalette palette = control.palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, toQColor(colours.background, QPalette::Base));
        palette.setColor(group, QPalette::Text, toQColor(colours.text, QPalette::Text));
    }
    control.setPalette(palette);
}

namespace {

bool isCharacterKey(const QKeyEvent& event) {
    const auto key = event.key();
    if (key == Qt::Key_Delete || key == Qt::Key_Tab || key == Qt::Key_Backtab) return false;
    const Qt::KeyboardModifiers mods = event.modifiers();
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    if (mods.testFlag(Qt::AltModifier) && !ctrl) return false;
    if (ctrl && key >= Qt::Key_A && key <= Qt::Key_Z) return true;
    return !event.text().isEmpty();
}

}  // namespace

TextWindow::TextWindow(QWidget* parent) : QPlainTextEdit(parent) {
    auto* doc = new QTextDocument(this);
    layout_ = new DisplayLineLayout(doc);
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
    ProgramEdit edit(*this);
    QPlainTextEdit::clear();
}

std::string TextWindow::text() const {
    // As bytesFromDocumentText, written straight into a string of the final size.
    const QString raw = document()->toRawText();
    const auto* const chars = reinterpret_cast<const char16_t*>(raw.constData());
    const auto size = static_cast<size_t>(raw.size());
    const auto isBreak = [](char16_t u) { return u == u'\n' || u == 0x2029 || u == 0x2028; };
    const auto breaks = static_cast<size_t>(std::count_if(chars, chars + size, isBreak));
    std::string bytes(size + breaks, '\0');
    char* out = bytes.data();
    for (size_t i = 0; i < size; ++i) {
        const char16_t u = chars[i];
        if (isBreak(u)) {
            *out++ = '\r';
            *out++ = '\n';
        } else if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            *out++ = static_cast<char>(u);  // the code page's ASCII and Latin-1 halves
        } else {
            *out++ = static_cast<char>(cp1252::fromUnicode(u));
        }
    }
    return bytes;
}

bool TextWindow::isDocumentEmpty() const { return document()->characterCount() == document()->blockCount(); }

long long TextWindow::characterCount() const {
    return static_cast<long long>(document()->characterCount()) - document()->blockCount();
}

namespace {

// A file's bytes as a document's raw text in one pass, as
// documentTextFromBytes(normalizeLoadedText(bytes)) with block separators
// for the breaks: the text ends at the first NUL, CR LF, a lone CR and a
// lone LF each break the line. `lines` is its number of hard lines.
QString rawTextFromFile(std::string_view fileBytes, size_t& lines) {
    static const auto unicode = [] {
        std::array<char16_t, 256> table{};
        for (int b = 0; b < 256; ++b) table[static_cast<size_t>(b)] = cp1252::toUnicode(static_cast<unsigned char>(b));
        return table;
    }();
    const std::string_view bytes = fileBytes.substr(0, fileBytes.find('\0'));
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    auto* const begin = reinterpret_cast<char16_t*>(text.data());
    char16_t* out = begin;
    size_t breaks = 0;
    const size_t size = bytes.size();
    for (size_t i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' || b == '\n') {
            *out++ = QChar::ParagraphSeparator;
            ++breaks;
            if (b == '\r' && i + 1 < size && bytes[i + 1] == '\n') ++i;
        } else {
            *out++ = unicode[b];
        }
    }
    text.truncate(out - begin);
    lines = breaks + 1;
    return text;
}

}  // namespace

void TextWindow::loadBytes(std::string_view fileBytes) {
    size_t lines = 0;
    const QString newText = rawTextFromFile(fileBytes, lines);
    loadRawText(newText, lines);
}

void TextWindow::loadRawText(const QString& newText, size_t lines) {
    // Stored, every break but the last block's end takes two bytes.
    const size_t storedBytes = static_cast<size_t>(newText.size()) + lines - 1;
    if (storedBytes > kCapacity || lines > kMaxLines) throw KxError("Text überschreitet Memo-Kapazität");
    // The whole-text comparison copies the document; texts of different length differ anyway.
    if (newText.size() == document()->characterCount() - 1 && newText == document()->toRawText()) return;
    ProgramEdit edit(*this);
    layout_->expectText(newText);
    const auto forget = qScopeGuard([this] { layout_->forgetExpected(); });
    setPlainText(newText);
}

void TextWindow::withoutUndo(const std::function<void()>& edits) {
    document()->setUndoRedoEnabled(false);
    edits();
    document()->setUndoRedoEnabled(true);
}

std::string TextWindow::selectedBytes() const { return bytesFromDocumentText(textCursor().selectedText()); }

void TextWindow::replaceSelection(std::string_view bytes) {
    QString text = documentTextFromBytes(bytes);
    makeStorable(text);
    ProgramEdit edit(*this);
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
}

long long TextWindow::selectionStartOffset() const {
    const int position = textCursor().selectionStart();
    return static_cast<long long>(position) + document()->findBlock(position).blockNumber();
}

TextWindow::CaretPlace TextWindow::caretPlace() const {
    // Only the caret's block is laid out (Qt has mostly done so already).
    const int position = textCursor().selectionStart();
    const QTextBlock block = document()->findBlock(position);
    const int inBlock = position - block.position();
    const QTextLine line = layout_->laidOut(block)->lineForTextPosition(inBlock);
    const auto before = layout_->index().linesBefore(block.blockNumber());
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

void TextWindow::appendAtEnd(std::string_view bytes) { insertAt(document()->characterCount() - 1, bytes); }

void TextWindow::eraseShownLine(int index) {
    const LinePlace place = placeOfLine(index);
    const int end = index + 1 < shownLineCount() ? placeOfLine(index + 1).position : place.position + place.length;
    ProgramEdit edit(*this);
    QTextCursor cursor(document());
    cursor.setPosition(place.position);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TextWindow::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    if (event->size().width() != event->oldSize().width()) layout_->invalidate();
}

void TextWindow::keyPressEvent(QKeyEvent* event) {
    if (isCharacterKey(*event)) emit characterKeyPressed();
    QString text = event->text();
    const bool softBreak = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                           event->modifiers().testFlag(Qt::ShiftModifier);
    // A control character is no text input (the control inserts none), so it stays as it came.
    const bool typed = !text.isEmpty() && text.front().category() != QChar::Other_Control;
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
    if (!makeStorable(commit)) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent storable(event->preeditString(), event->attributes());
    storable.setCommitString(commit, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&storable);
}

void TextWindow::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) return;
    QString text = source->text();
    makeStorable(text);
    QMimeData storable;
    storable.setText(text);
    QPlainTextEdit::insertFromMimeData(&storable);
}

}  // namespace korvex
