#include "dialogs/uInfo.h"

namespace korvex {

TForm2::TForm2(QWidget* mainWindow) : QDialog(mainWindow) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Korvex V2.3 // Info und Gebrauchshinweise"));
    resize(452, 523);
}

}  // namespace korvex
