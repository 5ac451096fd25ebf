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
class StorableText : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override {
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
};

}  // namespace

HeaderField::HeaderField(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(kMaxLength);
    setValidator(new StorableText(this));
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
