#pragma once

#include <QDialog>

namespace korvex {

// The info window with the program's description and usage notes.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* mainWindow);
};

}  // namespace korvex
