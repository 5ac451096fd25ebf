#pragma once

#include <QString>

#include "intentions/mainwindowintentions.h"
#include "platform/fileseen.h"

namespace korvex::document {

// The document's file and the folders the file dialogs start in; empty
// until one is known. The main window keeps them, since the settings file
// and the recovery copy take them too.
struct DocumentFiles {
    QString currentFileName;
    QString openDir;
    QString saveDir;
    FileSeen seen;  // tells when another program has changed the file since
};

// The main window as the document commands see it.
class MainWindow : public virtual MainWindowIntentions {
public:
    // The header line ("EdiKopfzeile"), saved with the text.
    virtual QString headerText() const = 0;
    virtual void setHeaderText(const QString& text) = 0;
    // Empties it as an edit would, which the field's undo can take back.
    virtual void clearHeader() = 0;
    virtual const DocumentFiles& files() const = 0;
    // The document was read from or written to `path`, which is its file now
    // and is shown; `seen` is the file as it was then.
    virtual void documentRead(const QString& path, const FileSeen& seen) = 0;
    virtual void documentWritten(const QString& path, const FileSeen& seen) = 0;
    // The document has no file now ("Neu").
    virtual void documentUnnamed() = 0;
    // The file dialogs start in this folder next time.
    virtual void openFolderChosen(const QString& folder) = 0;
    virtual void saveFolderChosen(const QString& folder) = 0;
    // A load was given up: file and folders are again as they were before it.
    virtual void filesBack(const DocumentFiles& files) = 0;

protected:
    MainWindow() = default;
    ~MainWindow() = default;
};

}  // namespace korvex::document
