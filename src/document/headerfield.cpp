#include "document/headerfield.h"

#include <QKeyEvent>
#include <QValidator>

#include "display/characterkey.h"
#include "display/documenttext.h"

namespace korvex {
namespace {

// Turns whatever enters the field into one line of storable characters:
// the header is one line of the file, and a break in it would end the header
// there. Each break (CR LF counted as one) becomes a blank.
// The field holds only storable characters, so those it is offered that
// are not have just come in.
class StorableText : public QValidator {
public:
    explicit StorableText(HeaderField& field) : QValidator(&field), field_(field) {}
    State validate(QString& input, int& position) const override {
        if (const qsizetype count = unstorableCount(input)) emit field_.unstorableEntering(count);
        const qsizetype pairsBefore = input.left(position).count(QStringLiteral("\r\n"));
        input.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        position -= static_cast<int>(pairsBefore);
        for (const char16_t lineBreak :
             {u'\r', u'\n', char16_t{QChar::ParagraphSeparator}, char16_t{QChar::LineSeparator}}) {
            input.replace(QChar(lineBreak), QLatin1Char(' '));
        }
        makeStorable(input);
        return Acceptable;
    }

private:
    HeaderField& field_;
};

}  // namespace

HeaderField::HeaderField(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(kMaxLength);
    setValidator(new StorableText(*this));
}

void HeaderField::setColours(ControlColours colours) {
    colours_ = colours;
    applyColours(*this, colours);
}

void HeaderField::keyPressEvent(QKeyEvent* event) {
    // A full field takes no character key but Backspace, Ctrl shortcuts included.
    if (isCharacterKey(*event) && event->key() != Qt::Key_Backspace && text().size() > kMaxLength - 1) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace korvex
