#pragma once

#include <QFont>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/linelist.h"
#include "base/textforms.h"
#include "display/documenttext.h"
#include "display/modelcount.h"
#include "display/pendingtext.h"
#include "display/screencolours.h"

class QByteArray;
class QTextDocument;

namespace korvex {

// What commands do with the text window: its text, selection, font,
// colours and lock, and its display lines as a LineList. TextWindow offers
// them; the main window hands the text window out as this, so no command
// reaches into the editor control behind it.
class TextPrimitives : public LineList {
public:
    // The document's raw text (blocks separated by U+2029), with what of a
    // text being loaded is still to come.
    virtual QString rawText() const = 0;
    // Replaces the whole text by a file's bytes; throws KxError above the capacity.
    virtual void loadFileBytes(const QByteArray& fileBytes) = 0;
    // Replaces the whole text by a raw text of the shape given, or by what
    // `convert` makes of it, piece by piece (`shape` is then the shape of the
    // converted text). A big text comes in pieces between events; reading or
    // changing the whole text waits for the rest.
    virtual void loadRawText(const QString& text, FileTextShape shape, const PendingText::Conversion& convert) = 0;
    virtual bool isLoading() const = 0;
    virtual void finishLoading() = 0;
    // Should memory run out before the rest of the load under way is in,
    // `undo` puts back what else the load changed.
    virtual void whenLoadGivenUp(std::function<void()> undo) = 0;
    // Runs program edits that the user cannot undo; the undo history starts anew.
    virtual void withoutUndo(const std::function<void()>& edits) = 0;
    // The document itself, for reading and editing its blocks in place
    // where going through the text as a whole would be too slow (search).
    virtual QTextDocument& textDocument() = 0;
    // For many such edits that change the text of lines but make or join
    // none: what counts the display lines of a raw text's blocks on any
    // thread (none when only Qt's layout can count them), and the counts of
    // the lines changed, held from `holdLineCounts` until
    // `releaseLineCounts` gives them: the numbers of the lines changed, in
    // order, and their counts from their new text (without them, the lines
    // are measured then). Meanwhile the window sends no signals; one that
    // its text changed comes at the end.
    using LineCounter = std::function<ModelCount::Part(QStringView, const std::atomic<bool>&)>;
    virtual LineCounter lineCounter() const = 0;
    virtual void holdLineCounts() = 0;
    virtual void releaseLineCounts(const std::vector<int>& changed, std::optional<ModelCount::Part> counted) = 0;

    // The selection as document positions; nothing selected: anchor == position.
    struct Selection {
        int anchor = 0;
        int position = 0;
        int start() const { return std::min(anchor, position); }
        int end() const { return std::max(anchor, position); }
    };
    virtual Selection selection() const = 0;
    // Selects from `anchor` to `position` and brings the position into view.
    virtual void select(int anchor, int position) = 0;
    virtual void selectAllText() = 0;
    // Runs `change`; the lines shown stay as they were scrolled.
    virtual void keepView(const std::function<void()>& change) = 0;
    // The selection as the document holds it, line breaks as U+2029.
    virtual QString selectedText() const = 0;
    virtual std::string selectedBytes() const = 0;
    // Puts bytes in place of the selection (at the caret when nothing is
    // selected); throws KxError when the text would then be more than the
    // window loads.
    virtual void replaceSelection(std::string_view bytes) = 0;
    // Says, before `text` goes in, how many of its characters will be '?' there.
    virtual void announceUnstorable(QStringView text) = 0;

    virtual QFont textFont() const = 0;
    virtual void setTextFont(const QFont& font) = 0;
    virtual ControlColours colours() const = 0;
    virtual void setColours(ControlColours colours) = 0;
    // What font sizes in points are converted with (base/fontsize.h), for
    // the settings file and printing alike.
    virtual double dotsPerInch() const = 0;
    // The first display line `text` would make here at the current width and
    // font, laid out on its own so the window's text stays untouched.
    virtual QString firstDisplayLineOf(const QString& text) const = 0;

    // The end of a typing test locks the text until RST: the user cannot
    // edit it, and the commands that would change it do nothing.
    virtual bool isLocked() const = 0;
    virtual void setLocked(bool locked) = 0;
};

}  // namespace korvex
