#pragma once

namespace korvex {
class TForm1;
}

namespace korvex::printing {

// The print command of the print button: the print dialog, the question for
// the header, then one print job per page.
void print(TForm1& form);

}  // namespace korvex::printing
