#include "widgets/controls.h"

#include <qdrawutil.h>
#include <QBitmap>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "widgets/qtconvert.h"

namespace korvex {

QFont pixelFont(const QString& family, int pixelSize, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

bool isCharacterKey(const QKeyEvent& event) {
    const auto key = event.key();
    if (key == Qt::Key_Delete || key == Qt::Key_Tab || key == Qt::Key_Backtab) return false;
    const Qt::KeyboardModifiers mods = event.modifiers();
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    if (mods.testFlag(Qt::AltModifier) && !ctrl) return false;
    if (ctrl && key >= Qt::Key_A && key <= Qt::Key_Z) return true;
    return !event.text().isEmpty();
}

void setPaletteColour(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(role, colour);
    widget.setPalette(palette);
}

std::optional<QMargins> knownFrame(const QWidget& window) {
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    if (outer == inner || !outer.contains(inner)) return std::nullopt;
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

namespace {

QPixmap withTransparentColour(const QImage& image) {
    QPixmap pixmap = QPixmap::fromImage(image);
    if (image.isNull()) return pixmap;
    const QRgb transparent = image.pixel(0, image.height() - 1);
    pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(transparent, Qt::MaskInColor)));
    return pixmap;
}

}  // namespace

ImageButton::ImageButton(const QString& imageResource, QWidget* parent)
    : QAbstractButton(parent), image_(withTransparentColour(QImage(imageResource))) {
    setFocusPolicy(Qt::NoFocus);
}

void ImageButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), pal.button());
    qDrawWinButton(&painter, rect(), pal, isDown());
    if (image_.isNull()) return;
    const int shift = isDown() ? 1 : 0;
    const QPoint topLeft((width() - image_.width()) / 2 + shift, (height() - image_.height()) / 2 + shift);
    painter.setClipRect(rect().adjusted(2, 2, -2, -2));
    painter.drawPixmap(topLeft, image_);
}

BevelButtonPanel::BevelButtonPanel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::NoFocus);
    setLineWidth(2);
    setRaised(true);
}

void BevelButtonPanel::setRaised(bool raised) {
    raised_ = raised;
    setFrameStyle(QFrame::Panel | (raised ? QFrame::Raised : QFrame::Sunken));
}

void BevelButtonPanel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

void ClickableField::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) emit clicked();
}

ValueLabel::ValueLabel(const QFont& font, QWidget* parent) : QLabel(parent) {
    setFont(font);
    setAutoFillBackground(true);
    setMargin(0);
    setValue(QString());
}

void ValueLabel::setValue(const QString& value) {
    setText(value);
    const QFontMetrics metrics(font());
    const int width = value.isEmpty() ? metrics.horizontalAdvance(QLatin1Char(' ')) : metrics.horizontalAdvance(value);
    resize(width, height());
}

namespace {

// The list's rows: a colour square and a name in 16 pixels, whatever the style's own rows would take.
class ColourRow : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), ColourPicker::kRowHeight};
    }
};

}  // namespace

ColourPicker::ColourPicker(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setItemDelegate(new ColourRow(this));
    setIconSize(QSize(12, 12));
    for (const NamedColour& named : colourNames()) {
        if (named.colour == colours::None || named.colour == colours::Default) continue;
        QPixmap square(12, 12);
        square.fill(toQColor(named.colour));
        QPainter(&square).drawRect(0, 0, 11, 11);
        addItem(QIcon(square), QString::fromLatin1(named.name), QVariant::fromValue(named.colour.value));
    }
}

void ColourPicker::selectColour(Colour colour) { setCurrentIndex(findData(QVariant::fromValue(colour.value))); }

Colour ColourPicker::selectedColour() const { return Colour(currentData().value<uint32_t>()); }

}  // namespace korvex
