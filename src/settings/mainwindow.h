#pragma once

#include <QRect>
#include <QString>

#include "base/textforms.h"
#include "document/mainwindow.h"
#include "intentions/mainwindowintentions.h"

namespace korvex::settings {

// The main window as the settings file sees it: what the file keeps of it.
class MainWindow : public virtual MainWindowIntentions {
public:
    // "SettingsFilePath": the settings file in the working directory.
    virtual QString settingsFilePath() const = 0;
    // The header line ("EdiKopfzeile") takes the text window's font and colours.
    virtual void headerFollowsTextWindow() = 0;
    // The folders the file dialogs start in.
    virtual const document::DocumentFiles& files() const = 0;
    virtual void openFolderChosen(const QString& folder) = 0;
    virtual void saveFolderChosen(const QString& folder) = 0;
    // The window colour the user chose ("WindowColor").
    virtual Colour windowColour() const = 0;

    // The window's outer rectangle, frame and title bar included, as the
    // settings file keeps it: a minimised window gives where it opens again,
    // and it is never smaller than the window can be.
    virtual QRect outerGeometry() const = 0;
    // Places the frame there; an unframed window's size is fitted once it is framed.
    virtual void setOuterGeometry(const QRect& outer) = 0;
    virtual QSize minimumOuterSize() const = 0;

protected:
    MainWindow() = default;
    ~MainWindow() = default;
};

}  // namespace korvex::settings
