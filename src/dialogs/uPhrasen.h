#pragma once

#include <QWidget>

#include "display/boundedtextedit.h"
#include "intentions/mainwindowintentions.h"
#include "platform/fileseen.h"

class QFrame;
class QLabel;
class QPushButton;

namespace korvex {

// The phrase editor: stock phrases, kept in the phrase file, inserted at the caret.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    // The main window as the phrase editor sees it.
    class MainWindow : public virtual MainWindowIntentions {
    public:
        // "PhraseFilePath": the phrase file in the working directory.
        virtual QString phraseFilePath() const = 0;

    protected:
        MainWindow() = default;
        ~MainWindow() = default;
    };

    explicit TForm3(MainWindow& mainWindow);

    // "Phr" in the main window: show the editor at the main window's width.
    void showFromMainWindow();
    // At the end of the program: phrases edited since the last write go to
    // the phrase file. Throws KxError when they are not written.
    void saveUnsavedPhrases();

    QFrame* PanOben;
    QLabel* LabHinweis;
    BoundedTextEdit* MemPhrasen;
    QFrame* PanUnten;
    QPushButton* ButPhrEinf;
    QPushButton* Button1;
    QPushButton* ButAbbr;

    // Set by every edit of the phrase text since it was last loaded or written.
    bool PhrasesModified = false;

public slots:
    void ButPhrEinfClick();
    void Button1Click();
    void ButAbbrClick();

protected:
    void FormActivate();
    void FormClose();
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    enum class InsertWay { Direct, ThroughClipboard };
    void insertSelection(InsertWay way);
    // Writes the phrases; when another program (another Korvex, say) has
    // changed the file since, only as the user decides. False when nothing
    // was written and the edits stay.
    bool writePhraseFile();
    void loadPhraseFile();

    MainWindow& main_;
    FileSeen phraseFileSeen_;
    bool loading_ = false;
    // The built-in notice is put in at the first show: nobody sees it before,
    // and the start-up is quicker without it.
    bool noticePending_ = true;
    // The show handler already ran for the activation that follows a show.
    bool activationPending_ = false;
    // A click into the phrases made this window active.
    bool clickedIntoPhrases_ = false;
};

}  // namespace korvex
