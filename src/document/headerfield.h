#pragma once

#include <QLineEdit>

#include "display/screencolours.h"

namespace korvex {

// The header line field ("Kopfzeile"): one line of at most 100 characters.
// Typed input stops at 100 (a full field takes no character key but
// Backspace); pasted or dropped text is cut so the field never holds more,
// and every character it holds can be stored in a document.
class HeaderField : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 100;

    explicit HeaderField(QWidget* parent);

    ControlColours colours() const { return colours_; }
    void setColours(ControlColours colours);

signals:
    // So many characters the code page cannot hold are going in as '?'.
    void unstorableEntering(qsizetype count);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    ControlColours colours_;
};

}  // namespace korvex
