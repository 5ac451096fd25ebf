#include "dialogs/uKxMsgDlg.h"

#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QWindow>

#include "platform/qtplatform.h"
#include "widgets/controls.h"

namespace korvex {

namespace {

void raisedBevel(QFrame* frame) {
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(2);
}

}  // namespace

TKxMsgDlg::TKxMsgDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("KxMessageDialog"));
    setAccessibleName(QStringLiteral("Rückfrage"));
    setFixedSize(363, 134);
    const QFont font = pixelFont(QStringLiteral("Arial"), 13, true);

    PanMsg = new QLabel(this);
    PanMsg->setObjectName(QStringLiteral("PanMsg"));
    raisedBevel(PanMsg);
    PanMsg->setGeometry(0, 0, 363, 70);
    PanMsg->setFont(font);
    PanMsg->setAlignment(Qt::AlignCenter);
    PanMsg->setWordWrap(true);
    PanMsg->setMargin(4);
    // Questions quote file names, which may contain '<' and must not be read as markup.
    PanMsg->setTextFormat(Qt::PlainText);

    PanCtrls = new QFrame(this);
    PanCtrls->setObjectName(QStringLiteral("PanCtrls"));
    raisedBevel(PanCtrls);
    PanCtrls->setGeometry(0, 70, 363, 64);

    auto makeButton = [&](const char* name, const QString& caption, int left, int width, bool TKxMsgDlg::*flag) {
        auto* button = new QPushButton(caption, PanCtrls);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(left, 16, width, 33);
        button->setFont(font);
        // No default button: Enter and space must act on the focused button
        // only, so they repeat whatever answer has the focus.
        button->setAutoDefault(false);
        button->setDefault(false);
        connect(button, &QPushButton::clicked, this, [this, flag] {
            this->*flag = true;
            close();
        });
        return button;
    };
    ButJa = makeButton("ButJa", QStringLiteral("JA"), 16, 97, &TKxMsgDlg::YesChosen);
    ButNein = makeButton("ButNein", QStringLiteral("NEIN"), 128, 97, &TKxMsgDlg::NoChosen);
    ButAbbr = makeButton("ButAbbr", QStringLiteral("ABBRECHEN"), 240, 105, &TKxMsgDlg::CancelChosen);
    setTabOrder(ButJa, ButNein);
    setTabOrder(ButNein, ButAbbr);

    lastFocus_ = ButJa;
    resetOptions();
}

void TKxMsgDlg::Execute(const QString& message) {
    PanMsg->setText(message);
    // A screen reader says the question together with the dialog's name.
    setAccessibleDescription(message);
    // It belongs to the main window, or to a window kept on top over it (the
    // phrase editor): the window manager keeps it above its owner, and on
    // top too over a window kept on top.
    QWidget* const keptOnTop = shownWindowKeptOnTop(this);
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != (keptOnTop != nullptr)) {
        setWindowFlag(Qt::WindowStaysOnTopHint, keptOnTop != nullptr);
    }
    if (QWidget* const owner = keptOnTop ? keptOnTop : parentWidget()) {
        winId();  // the native window, made once, takes its owner anew for each question
        windowHandle()->setTransientParent(owner->windowHandle());
    }
    // No explicit position: as long as the dialog is never moved by code,
    // QDialog centres it anew on every showing, over the main window (or the
    // screen) and kept inside the screen.
    exec();
}

void TKxMsgDlg::resetOptions() {
    YesEnabled = true;
    NoVisible = true;
    CancelVisible = true;
}

void TKxMsgDlg::showEvent(QShowEvent* event) {
    YesChosen = false;
    NoChosen = false;
    CancelChosen = false;
    ButJa->setEnabled(YesEnabled);
    ButNein->setVisible(NoVisible);
    ButAbbr->setVisible(CancelVisible);

    // Start on the button that had the focus when the dialog last closed; if
    // this run disabled or hid it, on the first one still usable.
    auto usable = [](QPushButton* b) { return b && b->isEnabled() && !b->isHidden(); };
    QPushButton* start = lastFocus_;
    if (!usable(start)) {
        start = nullptr;
        for (QPushButton* b : {ButJa, ButNein, ButAbbr})
            if (usable(b)) {
                start = b;
                break;
            }
    }
    if (start) start->setFocus(Qt::OtherFocusReason);
    QDialog::showEvent(event);
}

void TKxMsgDlg::keyPressEvent(QKeyEvent* event) {
    // The buttons are not auto-default, so they pass Enter on to here.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* button = qobject_cast<QPushButton*>(focusWidget());
        if (button && button->isEnabled() && button->isVisible()) {
            event->accept();
            button->click();
            return;
        }
    }
    // Escape lands in reject(), just like the close button of the title bar.
    QDialog::keyPressEvent(event);
}

// Every way of closing (buttons, title bar, Escape) ends here.
void TKxMsgDlg::done(int result) {
    QWidget* focused = focusWidget();
    if (focused == ButJa || focused == ButNein || focused == ButAbbr) lastFocus_ = static_cast<QPushButton*>(focused);
    resetOptions();
    QDialog::done(result);
}

}  // namespace korvex
