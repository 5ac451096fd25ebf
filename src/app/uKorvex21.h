#pragma once

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <optional>

#include "base/textforms.h"
#include "dialogs/uPhrasen.h"
#include "document/mainwindow.h"
#include "editing/mainwindow.h"
#include "printing/mainwindow.h"
#include "settings/mainwindow.h"
#include "typingtest/mainwindow.h"
#include "typingtest/stopwatch.h"

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;

namespace korvex {

class BevelButtonPanel;
class ClickableField;
class ColourPicker;
class HeaderField;
class ImageButton;
class Platform;
class TextWindow;
class ValueLabel;
class TForm2;
class TKxMsgDlg;
namespace search {
class FindReplace;
}

// The main window: the editor with its tool panel, display panel and text
// window. It owns the program's shared state; each handler starts one
// command, which lives in the folder of its subsystem and sees the main
// window only as that subsystem's MainWindow.
class TForm1 : public QMainWindow,
               public document::MainWindow,
               public editing::MainWindow,
               public printing::MainWindow,
               public settings::MainWindow,
               public typingtest::MainWindow,
               public TForm3::MainWindow {
    Q_OBJECT

public:
    explicit TForm1(Platform& platform);
    ~TForm1() override;

    // The other windows of the set, created after this one.
    void attachWindows(TForm2* info, TForm3* phrases, TKxMsgDlg* question);

    void markChanged() override { SavedFlag = false; }
    void markSaved() override { SavedFlag = true; }
    bool isSaved() const override { return SavedFlag; }
    Answer ask(const QString& question) override;

    // The parts the subsystems work on, by the names they know them.
    Platform& platform() override { return platform_; }
    QWidget& dialogParent() override { return *this; }
    TextPrimitives& textWindow() override;
    const TextPrimitives& textWindow() const override;
    const document::DocumentFiles& files() const override { return Files; }
    Colour windowColour() const override { return WindowColor; }
    const Stopwatch& stopwatch() const override { return Stopper; }
    void keepStopwatch(const Stopwatch& stopper) override { Stopper = stopper; }
    void dropPrintBuffer() override { LstBoxDruck = {}; }
    const printing::PrintBuffer& keepPrintBuffer(printing::PrintBuffer buffer) override;
    // What the last print run or preview put in the print buffer.
    const printing::PrintBuffer& printBuffer() const { return LstBoxDruck; }
    QString settingsFilePath() const override { return SettingsFilePath; }
    QString phraseFilePath() const override { return PhraseFilePath; }

    // Panels and controls.
    QFrame* PanOben;
    QFrame* PanAnzeige;
    QFrame* PanMitte;
    ImageButton* SpButFonts;
    ImageButton* SpButDrucken;
    BevelButtonPanel* PanTop;
    ClickableField* EdiDatum;
    QPushButton* ButDatum;
    QPushButton* ButReplace;
    QPushButton* ButStart;
    QPushButton* ButStop;
    QPushButton* ButReset;
    QPushButton* BitButClose;
    ImageButton* SpButSchliessen;
    ImageButton* SpButOeffnen;
    ImageButton* SpButSpeichern;
    ImageButton* SpButSpUnter;
    QLabel* Label4;
    QPushButton* ButX;
    QPushButton* ButC;
    QPushButton* ButE;
    QPushButton* ButPhrasen;
    QPushButton* ButReplaceAll;
    QLineEdit* EdiTime;
    QLabel* LabShowDatName;
    QLabel* LabZeilenAnz;
    ValueLabel* LabShowZeilenAnz;
    QLabel* Label1;
    ValueLabel* LabShowCZeile;
    QLabel* Label2;
    ValueLabel* LabShowCSpalte;
    QLabel* Label3;
    ColourPicker* ColorBox1;
    HeaderField* EdiKopfzeile;
    QFrame* Panel1;
    TextWindow* MemArbeitsfenster;
    QTimer* TimStopper;

    // Menu.
    QMenu* Datei1;
    QAction* Schliessen1;
    QAction* Oeffnen1;
    QAction* Speichern1;
    QAction* Speichernnter1;
    QAction* N1;
    QAction* Schrift;
    QAction* Vordergrund1;
    QAction* N3;
    QAction* Drucken1;
    QAction* Seitenansicht1;
    QAction* N2;
    QAction* Beenden1;
    QAction* SelectAll1;
    QMenu* Suchen1;
    QAction* Suchen2;
    QAction* Weitersuchen1;
    QAction* Ersetzen1;
    QAction* Info1;

    // Status and file name display.
    QString CZeile() const;
    QString CSpalte() const;
    void updateStatus() override;
    void ShowAktDatName();
    void focusTextWindow() override;

    // What the document commands and the settings file change of the window.
    QString headerText() const override;
    void setHeaderText(const QString& text) override;
    void clearHeader() override;
    void headerFollowsTextWindow() override;
    void documentRead(const QString& path, const FileSeen& seen) override;
    void documentWritten(const QString& path, const FileSeen& seen) override;
    void documentUnnamed() override;
    void openFolderChosen(const QString& folder) override { Files.openDir = folder; }
    void saveFolderChosen(const QString& folder) override { Files.saveDir = folder; }
    void filesBack(const document::DocumentFiles& files) override;

    // What the editing commands and the typing test change of the window.
    void chooseTextFont(const QFont& font, Colour textColour) override;
    void chooseWindowColour(Colour colour) override;
    void rememberWindowColour(Colour colour) override { WindowColor = colour; }
    void showDate(const QString& date) override;
    QString selectShownDate() override;
    bool staysOnTop() const override;
    void stayOnTop(bool onTop) override;
    QString timeFieldText() const override;
    void showInTimeField(const QString& text) override;
    void startTicking() override;
    void stopTicking() override;

    void guarded(const std::function<void()>& handler) override;
    // "Nicht genügend Arbeitsspeicher für diesen Befehl.", once while it is shown.
    void reportOutOfMemory();
    // Files named on the command line or dropped: the first is opened as "Öffnen" would.
    // Files named at start-up or dropped on the window (see document::openFiles).
    void openDocuments(const QStringList& paths, bool afterRestore = false);

    QRect outerGeometry() const override;
    // Before a window manager has framed the window its frame is unknown;
    // the size is then fitted again once it is.
    void setOuterGeometry(const QRect& outer) override;
    QSize minimumOuterSize() const override;

signals:
    // The document was written to its file.
    void documentSaved();
    // The user let the main window close.
    void closeConfirmed();

public slots:
    void SpButSchliessenClick();
    void SpButOeffnenClick();
    void SpButSpeichernClick();
    void SpButSpUnterClick();
    void SpButDruckenClick();
    void SpButFontsClick();
    void PanTopClick();
    void EdiDatumClick();
    void ButDatumClick();
    void ButXClick();
    void ButCClick();
    void ButEClick();
    void ButPhrasenClick();
    void ButReplaceClick();
    void ButReplaceAllClick();
    void ButStartClick();
    void ButStopClick();
    void ButResetClick();
    void TimStopperTimer();
    void BitButCloseClick();
    void ColorBox1Select();
    void MemArbeitsfensterChange();
    void MemArbeitsfensterKeyPress();
    void Schliessen1Click();
    void Oeffnen1Click();
    void Speichern1Click();
    void Speichernnter1Click();
    void SchriftClick();
    void Seitenansicht1Click();
    void Beenden1Click();
    void SelectAll1Click();
    void Suchen2Click();
    void Weitersuchen1Click();
    void Ersetzen1Click();
    void Info1Click();

protected:
    void FormCreate();
    void FormShow();
    // The close handler: the save question, then the settings file; false keeps the window open.
    bool FormClose();
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPanels();
    void buildToolPanel();
    void buildDisplayPanel();
    void buildTextPanel();
    void buildMenu();
    void buildSearchMenu();
    void connectHandlers();
    void setTabOrder();
    QMargins frameMargins() const;
    void fitOuterSizeToFrame();

    Platform& platform_;
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TKxMsgDlg* KxMsgDlg = nullptr;

    // The dialog of "&Suchen" and its commands.
    search::FindReplace* findReplace_ = nullptr;

    // State, in this order.
    bool SavedFlag = false;
    document::DocumentFiles Files;  // CurrentFileName, OpenDir, SaveDir, and how the file was seen
    Colour WindowColor;
    // Where the phrase and the settings file are: in the working directory at start-up.
    QString PhraseFilePath;
    QString SettingsFilePath;
    Stopwatch Stopper;  // StopStartTick, StopStopTick, StopAccumulatedMs, StopLimitSeconds
    printing::PrintBuffer LstBoxDruck;

    bool shown_ = false;
    bool reportingOutOfMemory_ = false;
    std::optional<QSize> outerSizeToFit_;
    QStringList closeFailuresReported_;  // files the user was told could not be written
};

}  // namespace korvex
