#include "document/headerfield.h"

#include <QKeyEvent>
#include <QValidator>

#include "app/qtconvert.h"

namespace korvex {
namespace {

// Turns whatever enters the field into storable characters.
class StorableText : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*position*/) const override {
        makeStorable(input);
        input.replace(QChar::ParagraphSeparator, QLatin1Char(' '));
        input.replace(QChar::LineSeparator, QLatin1Char(' '));
        return Acceptable;
    }
};

bool isCharacterInput(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Delete) return false;
    if (event.modifiers().testFlag(Qt::ControlModifier) && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z) {
        return true;
    }
    return !event.text().isEmpty() && !event.modifiers().testFlag(Qt::AltModifier);
}

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
    if (isCharacterInput(*event) && event->key() != Qt::Key_Backspace && text().size() > kMaxLength - 1) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace korvex
