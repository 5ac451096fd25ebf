#pragma once

#include <QDialog>

class QFrame;
class QPlainTextEdit;
class QPushButton;

namespace korvex {

// The info window with the program's description and usage notes.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 452;

    explicit TForm2(QWidget* mainWindow);

    QPlainTextEdit* MemInfo;
    QFrame* PanUnten;
    QPushButton* ButInfoOK;

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void centreOnMainWindow();

    bool awaitingFrame_ = false;
};

}  // namespace korvex
