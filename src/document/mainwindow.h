#pragma once

#include <QString>

#include "intentions/mainwindowintentions.h"
#include "platform/fileseen.h"

namespace korvex {
class HeaderField;
}

namespace korvex::document {

// The document's file and the folders the file dialogs start in; empty
// until one is known. The main window keeps them, since the settings file
// and the recovery copy take them too.
struct DocumentFiles {
    QString CurrentFileName;
    QString OpenDir;
    QString SaveDir;
    FileSeen Seen;  // tells when another program has changed the file since
};

// The main window as the document commands see it.
class MainWindow : public virtual MainWindowIntentions {
public:
    // The header line ("EdiKopfzeile"), saved with the text.
    virtual HeaderField& headerField() const = 0;
    virtual DocumentFiles& files() = 0;
    // The display shows the file name as it is now.
    virtual void ShowAktDatName() = 0;
    // The document was written to its file.
    virtual void documentWritten() = 0;

protected:
    MainWindow() = default;
    ~MainWindow() = default;
};

}  // namespace korvex::document
