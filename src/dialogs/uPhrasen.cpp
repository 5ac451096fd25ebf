#include "dialogs/uPhrasen.h"

#include "app/uKorvex21.h"

namespace korvex {

TForm3::TForm3(TForm1& mainWindow) : QWidget(&mainWindow, Qt::Window | Qt::WindowStaysOnTopHint), main_(mainWindow) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("KORVEX V2.3 // Phraseneditor"));
    resize(639, 601);
}

void TForm3::showFromMainWindow() { show(); }

void TForm3::saveUnsavedPhrases() {}

}  // namespace korvex
