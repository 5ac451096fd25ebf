// The program's own yes/no/cancel question box. One instance is created with
// the main window and reused for every question; it is only hidden in
// between, so it remembers which button had the focus last time.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace korvex {

class TKxMsgDlg : public QDialog {
    Q_OBJECT

public:
    explicit TKxMsgDlg(QWidget* parent = nullptr);

    // Shows the question modally, centred on the main window (or the screen),
    // and returns when the dialog has closed. Read the answer from the flags.
    void Execute(const QString& message);

    // The answer of the last run; all false if the dialog was closed without
    // a button (title bar, Escape).
    bool YesChosen = false;
    bool NoChosen = false;
    bool CancelChosen = false;
    // Options for the next run only; they return to true when it closes.
    bool YesEnabled = true;
    bool NoVisible = true;
    bool CancelVisible = true;

    QLabel* PanMsg = nullptr;
    QFrame* PanCtrls = nullptr;
    QPushButton* ButJa = nullptr;
    QPushButton* ButNein = nullptr;
    QPushButton* ButAbbr = nullptr;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void resetOptions();

    QPushButton* lastFocus_ = nullptr;
};

}  // namespace korvex
