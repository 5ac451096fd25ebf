#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <optional>

#include "base/textforms.h"

namespace korvex {

QFont pixelFont(const QString& family, int pixelSize, bool bold);

// One colour of a widget's palette, the others left as they are.
void setPaletteColour(QWidget& widget, QPalette::ColorRole role, const QColor& colour);

// The frame a window manager put around a top-level window, once Qt knows
// it: nothing before the window is framed, where there is no window
// manager, and while Qt's idea of the frame is not yet one around the window.
std::optional<QMargins> knownFrame(const QWidget& window);

// A tool button that shows one image, centred and cut at its edges, in a
// raised frame that is drawn sunken while pressed. It never takes the focus
// by Tab or click; given it (by a screen reader), it shows it and takes
// Space and Return.
class ImageButton : public QAbstractButton {
    Q_OBJECT
public:
    // The colour of the image's bottom-left pixel shows the button face.
    ImageButton(const QString& imageResource, QWidget* parent);
    QSize sizeHint() const override { return size(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPixmap image_;
};

// A panel with a caption and a bevel, used as a two-state button ("TOP").
// Assistive technology sees a checkable button, checked while sunken, that
// it can press; given the focus, it shows it and takes Space and Return.
class BevelButtonPanel : public QLabel {
    Q_OBJECT
public:
    BevelButtonPanel(const QString& caption, QWidget* parent);
    bool isRaised() const { return raised_; }
    void setRaised(bool raised);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool raised_ = true;
};

// A single-line field that reports clicks (the date field).
class ClickableField : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// A status label: an opaque strip as wide as one blank while empty that
// grows to the right with the number it shows. A screen reader gets the
// number with its caption ("Zeilen: 812"), the caption labelling it.
class ValueLabel : public QLabel {
    Q_OBJECT
public:
    // The font comes first, so the strip is measured only in the font it shows.
    ValueLabel(const QFont& font, QLabel& caption, QWidget* parent);
    void setValue(const QString& value);

private:
    QLabel& caption_;
};

// The colour drop-down: every named colour but "clNone" and "clDefault",
// each as a small square in its colour and its name.
class ColourPicker : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 16;

    // Each entry shows its name from the colour-name table; a screen reader
    // hears a German one.
    explicit ColourPicker(QWidget* parent);
    // Selects the entry of that colour, or none when the colour has no entry.
    void selectColour(Colour colour);
    Colour selectedColour() const;
};

}  // namespace korvex
