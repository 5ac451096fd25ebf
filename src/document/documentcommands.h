#pragma once

#include <QStringList>

namespace korvex {
class TForm1;
}

// New/Close, Open, Save, Save as and the save question of the close.
namespace korvex::document {

void newClose(TForm1& form);
void open(TForm1& form);
void save(TForm1& form);
void saveAs(TForm1& form);
// Opens the first file as Open opens a chosen one (a relative name from the
// working directory); the others are named in a message.
void openFiles(TForm1& form, const QStringList& paths);
// The close handler's save question: true when the close may go on.
bool closeAllowed(TForm1& form);

}  // namespace korvex::document
