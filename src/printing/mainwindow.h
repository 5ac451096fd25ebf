#pragma once

#include <QFont>
#include <string>
#include <vector>

#include "intentions/mainwindowintentions.h"

namespace korvex::printing {

// The print buffer ("LstBoxDruck"): the lines of the last run with the
// margin in front, in Windows-1252, and their font. The main window keeps
// it, so it outlives the run that filled it while jobs and the preview read it.
struct PrintBuffer {
    std::vector<std::string> lines;
    QFont font;
};

// The main window as printing sees it.
class MainWindow : public virtual MainWindowIntentions {
public:
    // The header line ("EdiKopfzeile"), printed above the text when wanted.
    virtual QString headerText() const = 0;
    // The last run's lines go, before the next run's come.
    virtual void dropPrintBuffer() = 0;
    // Keeps `buffer` for the jobs and the preview that read it.
    virtual const PrintBuffer& keepPrintBuffer(PrintBuffer buffer) = 0;

protected:
    MainWindow() = default;
    ~MainWindow() = default;
};

}  // namespace korvex::printing
