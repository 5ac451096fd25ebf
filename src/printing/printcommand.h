#pragma once

namespace korvex {
class TForm1;
}

namespace korvex::printing {

// The print command of the print button: the print dialog, the question for
// the header, then one print job per chosen page.
void print(TForm1& form);

// "Seitenansicht ...": the question for the header, then every page as the
// print command would send it to the current printer, in a window of its own.
void preview(TForm1& form);

}  // namespace korvex::printing
