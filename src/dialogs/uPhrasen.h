#pragma once

#include <QWidget>

namespace korvex {

class TForm1;

// The phrase editor: stock phrases, kept in the phrase file, inserted at the caret.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(TForm1& mainWindow);

    // "Phr" in the main window: show the editor at the main window's width.
    void showFromMainWindow();
    // At the end of the program: phrases edited since the last write go to the phrase file.
    void saveUnsavedPhrases();

private:
    TForm1& main_;
};

}  // namespace korvex
