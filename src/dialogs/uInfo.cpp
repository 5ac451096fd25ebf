#include "dialogs/uInfo.h"

#include <QFile>
#include <QFont>
#include <QFrame>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "base/textforms.h"
#include "display/screencolours.h"
#include "widgets/controls.h"

namespace korvex {

namespace {

QString infoText() {
    QFile file(QStringLiteral(":/texts/info.txt"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

}  // namespace

TForm2::TForm2(QWidget* mainWindow) : QDialog(mainWindow, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Korvex V2.3 // Info und Gebrauchshinweise"));
    resize(kWidth, 523);
    // Only the height may change: the text is laid out for this width. The
    // limits are hints to a window manager; resizeEvent holds them without one.
    setMinimumWidth(kWidth);
    setMaximumWidth(kWidth);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    MemInfo = new QPlainTextEdit(this);
    MemInfo->setObjectName(QStringLiteral("MemInfo"));
    MemInfo->setReadOnly(true);
    MemInfo->setAccessibleName(QStringLiteral("Info und Gebrauchshinweise"));
    MemInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    MemInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemInfo->setFont(pixelFont(QStringLiteral("Courier New"), 15, false));
    setPaletteColour(*MemInfo, QPalette::Base, toQColor(colours::Cream));
    MemInfo->setPlainText(infoText());
    layout->addWidget(MemInfo, 1);

    PanUnten = new QFrame(this);
    PanUnten->setObjectName(QStringLiteral("PanUnten"));
    PanUnten->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PanUnten->setFixedHeight(41);
    layout->addWidget(PanUnten);

    ButInfoOK = new QPushButton(QStringLiteral("OK"), PanUnten);
    ButInfoOK->setObjectName(QStringLiteral("ButInfoOK"));
    ButInfoOK->setGeometry(192, 8, 65, 25);
    ButInfoOK->setFont(pixelFont(QStringLiteral("MS Sans Serif"), 13, true));
    connect(ButInfoOK, &QPushButton::clicked, this, &QDialog::accept);
}

void TForm2::centreOnMainWindow() {
    const QWidget* main = parentWidget();
    if (!main) return;
    // Frame on frame. Before a window manager has framed this window, its
    // frame is taken to be like the main window's, which it already framed.
    const std::optional<QMargins> ownFrame = knownFrame(*this);
    const QMargins frame = ownFrame.value_or(knownFrame(*main).value_or(QMargins()));
    QRect outer(QPoint(), size().grownBy(frame));
    outer.moveCenter(main->frameGeometry().center());
    // A framed window is placed by its frame; one not yet framed by its inside.
    if (ownFrame) move(outer.topLeft());
    else setGeometry(outer.marginsRemoved(frame));
}

void TForm2::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (event->size().width() != kWidth) resize(kWidth, event->size().height());
}

void TForm2::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    // Once the window manager has framed the window and told its frame,
    // centre again with the frame it really has.
    if (awaitingFrame_ && knownFrame(*this)) {
        awaitingFrame_ = false;
        centreOnMainWindow();
    }
}

void TForm2::showEvent(QShowEvent* event) {
    awaitingFrame_ = !knownFrame(*this);
    centreOnMainWindow();
    QDialog::showEvent(event);
    ButInfoOK->setFocus(Qt::OtherFocusReason);
}

}  // namespace korvex
