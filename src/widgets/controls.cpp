#include "widgets/controls.h"

#include <qdrawutil.h>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QBitmap>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <cstring>

#include "display/screencolours.h"

namespace korvex {

QFont pixelFont(const QString& family, int pixelSize, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
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

bool isPressKey(const QKeyEvent& event) {
    const auto key = event.key();
    return event.modifiers() == Qt::NoModifier &&
           (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter);
}

// The focus of a control that never takes it by Tab or click (a screen
// reader may give it) is still shown.
void paintFocus(QWidget& widget) {
    if (!widget.hasFocus()) return;
    QPainter painter(&widget);
    QStyleOptionFocusRect option;
    option.initFrom(&widget);
    option.rect = widget.rect().adjusted(3, 3, -3, -3);
    widget.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, &widget);
}

// A button that neither Tab nor a click gives the focus (the image buttons,
// "TOP"): a screen reader can press it, or give it the focus, after which
// Space and Return press it. A press is queued, so that a modal dialog it
// opens does not hold up the screen reader's call.
class PressableAccessible : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.focusable = true;
        return s;
    }
    QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
    void doAction(const QString& action) override {
        if (action == setFocusAction()) widget()->setFocus(Qt::OtherFocusReason);
        else if (actionNames().contains(action))
            QMetaObject::invokeMethod(
                widget(), [this] { press(); }, Qt::QueuedConnection);
    }

protected:
    virtual void press() const = 0;
};

class ImageButtonAccessible : public PressableAccessible {
public:
    explicit ImageButtonAccessible(ImageButton* button) : PressableAccessible(button, QAccessible::Button) {}

    QAccessible::State state() const override {
        QAccessible::State s = PressableAccessible::state();
        s.pressed = button()->isDown();
        return s;
    }

protected:
    void press() const override { button()->click(); }

private:
    ImageButton* button() const { return static_cast<ImageButton*>(widget()); }
};

// "TOP": a checkable button, checked while sunken.
class BevelButtonAccessible : public PressableAccessible {
public:
    explicit BevelButtonAccessible(BevelButtonPanel* panel) : PressableAccessible(panel, QAccessible::Button) {}

    QAccessible::State state() const override {
        QAccessible::State s = PressableAccessible::state();
        // Sunken is on: pressed and checked, as a checked push button reports itself.
        s.checkable = true;
        s.checked = !panel()->isRaised();
        s.pressed = s.checked;
        return s;
    }
    QString text(QAccessible::Text t) const override {
        const QString own = PressableAccessible::text(t);
        return t == QAccessible::Name && own.isEmpty() ? panel()->text() : own;
    }
    QStringList actionNames() const override { return PressableAccessible::actionNames() << toggleAction(); }

protected:
    void press() const override { emit panel()->clicked(); }

private:
    BevelButtonPanel* panel() const { return static_cast<BevelButtonPanel*>(widget()); }
};

QAccessibleInterface* accessibleControl(const QString& className, QObject* object) {
    if (className == QLatin1String(BevelButtonPanel::staticMetaObject.className())) {
        return new BevelButtonAccessible(static_cast<BevelButtonPanel*>(object));
    }
    if (className == QLatin1String(ImageButton::staticMetaObject.className())) {
        return new ImageButtonAccessible(static_cast<ImageButton*>(object));
    }
    // A plain widget made a window (the phrase editor) is a window, not a pane.
    auto* widget = qobject_cast<QWidget*>(object);
    if (className == QLatin1String("QWidget") && widget && widget->windowType() == Qt::Window) {
        return new QAccessibleWidget(widget, QAccessible::Window);
    }
    return nullptr;
}

// Installed with the first tool button, which the main window makes before
// any other window exists, so before assistive technology reads anything.
void installAccessibleControls() {
    static const bool installed = (QAccessible::installFactory(accessibleControl), true);
    (void)installed;
}

}  // namespace

ImageButton::ImageButton(const QString& imageResource, QWidget* parent)
    : QAbstractButton(parent), image_(withTransparentColour(QImage(imageResource))) {
    installAccessibleControls();
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
    painter.end();
    paintFocus(*this);
}

void ImageButton::keyPressEvent(QKeyEvent* event) {
    // Space is the button's own; Return presses it too.
    if (isPressKey(*event) && event->key() != Qt::Key_Space) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

BevelButtonPanel::BevelButtonPanel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    installAccessibleControls();
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::NoFocus);
    setLineWidth(2);
    setRaised(true);
}

void BevelButtonPanel::setRaised(bool raised) {
    const bool changed = raised != raised_;
    raised_ = raised;
    setFrameStyle(QFrame::Panel | (raised ? QFrame::Raised : QFrame::Sunken));
    if (!changed) return;
    QAccessible::State checkedChanged;
    checkedChanged.checked = true;
    checkedChanged.pressed = true;
    QAccessibleStateChangeEvent event(this, checkedChanged);
    QAccessible::updateAccessibility(&event);
}

void BevelButtonPanel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

void BevelButtonPanel::keyPressEvent(QKeyEvent* event) {
    if (isPressKey(*event)) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void BevelButtonPanel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    paintFocus(*this);
}

void ClickableField::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) emit clicked();
}

ValueLabel::ValueLabel(const QFont& font, QLabel& caption, QWidget* parent) : QLabel(parent), caption_(caption) {
    // No mnemonic in the caption, so the buddy only tells who labels whom.
    caption_.setBuddy(this);
    setFont(font);
    setAutoFillBackground(true);
    setMargin(0);
    setValue(QString());
}

void ValueLabel::setValue(const QString& value) {
    // One name change per new number, and no announcement: screen readers
    // speak a changed name only of the control with the focus.
    setAccessibleName((caption_.text() + QLatin1Char(' ') + value).trimmed());
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

struct SpokenColourName {
    const char* name;
    const char* spoken;
};

// What a listener hears for the names of the colour-name table.
constexpr SpokenColourName kSpokenColourNames[] = {
    {"clBlack", "Schwarz"},
    {"clMaroon", "Kastanienbraun"},
    {"clGreen", "Grün"},
    {"clOlive", "Olivgrün"},
    {"clNavy", "Marineblau"},
    {"clPurple", "Purpur"},
    {"clTeal", "Blaugrün"},
    {"clGray", "Grau"},
    {"clSilver", "Silbergrau"},
    {"clRed", "Rot"},
    {"clLime", "Hellgrün"},
    {"clYellow", "Gelb"},
    {"clBlue", "Blau"},
    {"clFuchsia", "Pink"},
    {"clAqua", "Türkis"},
    {"clWhite", "Weiß"},
    {"clMoneyGreen", "Geldgrün"},
    {"clSkyBlue", "Himmelblau"},
    {"clCream", "Creme"},
    {"clMedGray", "Mittelgrau"},
    {"clActiveBorder", "Systemfarbe aktiver Fensterrahmen"},
    {"clActiveCaption", "Systemfarbe aktive Titelleiste"},
    {"clAppWorkSpace", "Systemfarbe Arbeitsbereich"},
    {"clBackground", "Systemfarbe Desktop"},
    {"clBtnFace", "Systemfarbe Schaltfläche"},
    {"clBtnHighlight", "Systemfarbe Schaltflächenlicht"},
    {"clBtnShadow", "Systemfarbe Schaltflächenschatten"},
    {"clBtnText", "Systemfarbe Schaltflächentext"},
    {"clCaptionText", "Systemfarbe Titeltext"},
    {"clGradientActiveCaption", "Systemfarbe Verlauf aktive Titelleiste"},
    {"clGradientInactiveCaption", "Systemfarbe Verlauf inaktive Titelleiste"},
    {"clGrayText", "Systemfarbe abgeblendeter Text"},
    {"clHighlight", "Systemfarbe Markierung"},
    {"clHighlightText", "Systemfarbe markierter Text"},
    {"clInactiveBorder", "Systemfarbe inaktiver Fensterrahmen"},
    {"clInactiveCaption", "Systemfarbe inaktive Titelleiste"},
    {"clInactiveCaptionText", "Systemfarbe inaktiver Titeltext"},
    {"clInfoBk", "Systemfarbe Hinweishintergrund"},
    {"clInfoText", "Systemfarbe Hinweistext"},
    {"clMenu", "Systemfarbe Menü"},
    {"clMenuText", "Systemfarbe Menütext"},
    {"clScrollBar", "Systemfarbe Bildlaufleiste"},
    {"cl3DDkShadow", "Systemfarbe 3D-Schatten dunkel"},
    {"cl3DLight", "Systemfarbe 3D-Licht"},
    {"clWindow", "Systemfarbe Fenster"},
    {"clWindowFrame", "Systemfarbe Fensterrahmen"},
    {"clWindowText", "Systemfarbe Fenstertext"},
};

QString spokenColourName(const char* name) {
    for (const SpokenColourName& entry : kSpokenColourNames) {
        if (std::strcmp(entry.name, name) == 0) return QString::fromUtf8(entry.spoken);
    }
    return QString::fromLatin1(name);
}

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
        setItemData(count() - 1, spokenColourName(named.name), Qt::AccessibleTextRole);
    }
}

void ColourPicker::selectColour(Colour colour) { setCurrentIndex(findData(QVariant::fromValue(colour.value))); }

Colour ColourPicker::selectedColour() const { return Colour(currentData().value<uint32_t>()); }

}  // namespace korvex
