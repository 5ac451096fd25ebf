#pragma once

#include <QStringList>

#include "document/mainwindow.h"

// New/Close, Open, Save, Save as and the save question of the close.
namespace korvex::document {

void newClose(MainWindow& window);
void open(MainWindow& window);
void save(MainWindow& window);
void saveAs(MainWindow& window);
// Opens the first file as Open opens a chosen one (a relative name from the
// working directory); the others are named in a message. After unsaved text
// was brought back at start-up, the file that text belongs to is open already
// and is not read again (nor asked about).
void openFiles(MainWindow& window, const QStringList& paths, bool afterRestore);
// The close handler's save question: true when the close may go on.
bool closeAllowed(MainWindow& window);

}  // namespace korvex::document
