#pragma once

#include "printing/mainwindow.h"

namespace korvex::printing {

// The print command of the print button: the print dialog, the question for
// the header, then one print job per chosen page.
void print(MainWindow& window);

// "Seitenansicht ...": the question for the header, then every page as the
// print command would send it to the current printer, in a window of its own.
void preview(MainWindow& window);

}  // namespace korvex::printing
