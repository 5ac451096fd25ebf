#pragma once

namespace korvex {
class TForm1;
}

// New/Close, Open, Save, Save as and the save question of the close.
namespace korvex::document {

void newClose(TForm1& form);
void open(TForm1& form);
void save(TForm1& form);
void saveAs(TForm1& form);
// The close handler's save question: true when the close may go on.
bool closeAllowed(TForm1& form);

}  // namespace korvex::document
