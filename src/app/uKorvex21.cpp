#include "app/uKorvex21.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <algorithm>
#include <new>

#include "base/kxerror.h"
#include "dialogs/uInfo.h"
#include "dialogs/uKxMsgDlg.h"
#include "dialogs/uPhrasen.h"
#include "display/screencolours.h"
#include "display/textwindow.h"
#include "document/documentcommands.h"
#include "document/headerfield.h"
#include "editing/editcommands.h"
#include "platform/filenames.h"
#include "platform/platform.h"
#include "printing/printcommand.h"
#include "search/findreplace.h"
#include "settings/settingsfile.h"
#include "settings/settingsio.h"
#include "typingtest/typingtest.h"
#include "widgets/controls.h"

namespace korvex {
namespace {

// The files written at close that could not be: their errors and what is lost without each.
struct CloseFailures {
    QStringList messages;
    QStringList lost;

    bool allIn(const QStringList& reported) const {
        return std::all_of(messages.begin(), messages.end(), [&](const QString& m) { return reported.contains(m); });
    }
    QString report() const {
        return messages.join(QStringLiteral(".\n")) +
               QStringLiteral(".\nKorvex bleibt geöffnet. Erneutes Beenden schließt Korvex, ohne ") +
               lost.join(QStringLiteral(" und ")) + QStringLiteral(" zu speichern");
    }
};

CloseFailures writeFilesAtClose(TForm1& form, TForm3* phrases) {
    CloseFailures failures;
    const auto attempt = [&failures](const QString& whatIsLost, const std::function<void()>& write) {
        try {
            write();
        } catch (const KxError& error) {
            failures.messages << QString::fromUtf8(error.what());
            failures.lost << whatIsLost;
        }
    };
    attempt(QStringLiteral("die Einstellungen"), [&form] { settings::writeSettingsFile(form); });
    if (phrases) attempt(QStringLiteral("die geänderten Phrasen"), [phrases] { phrases->saveUnsavedPhrases(); });
    return failures;
}

}  // namespace

TForm1::TForm1(Platform& platform) : platform_(platform) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Korvex Version 2.3"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/korvex16.png")));
    setPaletteColour(*this, QPalette::Window, toQColor(colours::BtnFace));
    setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11, false));
    buildPanels();
    buildMenu();
    TimStopper = new QTimer(this);
    TimStopper->setObjectName(QStringLiteral("TimStopper"));
    TimStopper->setInterval(1000);
    connectHandlers();
    setTabOrder();
    move(214, 71);
    resize(652, 606 + menuBar()->sizeHint().height());
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::attachWindows(TForm2* info, TForm3* phrases, TKxMsgDlg* question) {
    Form2 = info;
    Form3 = phrases;
    KxMsgDlg = question;
}

void TForm1::connectHandlers() {
    connect(SpButSchliessen, &QAbstractButton::clicked, this, &TForm1::SpButSchliessenClick);
    connect(SpButOeffnen, &QAbstractButton::clicked, this, &TForm1::SpButOeffnenClick);
    connect(SpButSpeichern, &QAbstractButton::clicked, this, &TForm1::SpButSpeichernClick);
    connect(SpButSpUnter, &QAbstractButton::clicked, this, &TForm1::SpButSpUnterClick);
    connect(SpButDrucken, &QAbstractButton::clicked, this, &TForm1::SpButDruckenClick);
    connect(SpButFonts, &QAbstractButton::clicked, this, &TForm1::SpButFontsClick);
    connect(PanTop, &BevelButtonPanel::clicked, this, &TForm1::PanTopClick);
    connect(EdiDatum, &ClickableField::clicked, this, &TForm1::EdiDatumClick);
    connect(ButDatum, &QPushButton::clicked, this, &TForm1::ButDatumClick);
    connect(ButX, &QPushButton::clicked, this, &TForm1::ButXClick);
    connect(ButC, &QPushButton::clicked, this, &TForm1::ButCClick);
    connect(ButE, &QPushButton::clicked, this, &TForm1::ButEClick);
    connect(ButPhrasen, &QPushButton::clicked, this, &TForm1::ButPhrasenClick);
    connect(ButReplace, &QPushButton::clicked, this, &TForm1::ButReplaceClick);
    connect(ButReplaceAll, &QPushButton::clicked, this, &TForm1::ButReplaceAllClick);
    connect(ButStart, &QPushButton::clicked, this, &TForm1::ButStartClick);
    connect(ButStop, &QPushButton::clicked, this, &TForm1::ButStopClick);
    connect(ButReset, &QPushButton::clicked, this, &TForm1::ButResetClick);
    connect(TimStopper, &QTimer::timeout, this, &TForm1::TimStopperTimer);
    connect(BitButClose, &QPushButton::clicked, this, &TForm1::BitButCloseClick);
    connect(ColorBox1, &QComboBox::activated, this, &TForm1::ColorBox1Select);
    connect(MemArbeitsfenster, &QPlainTextEdit::textChanged, this, &TForm1::MemArbeitsfensterChange);
    // After a width change the count follows once the width has settled; the
    // values stay empty until the first change or key has shown them.
    connect(MemArbeitsfenster, &TextWindow::shownLinesRecounted, this, [this] {
        if (!LabShowZeilenAnz->text().isEmpty()) updateStatus();
    });
    connect(MemArbeitsfenster, &TextWindow::characterKeyPressed, this, &TForm1::MemArbeitsfensterKeyPress);
    connect(MemArbeitsfenster, &TextWindow::userEdited, this, [this] { markChanged(); });
    connect(MemArbeitsfenster, &TextWindow::outOfMemory, this, &TForm1::reportOutOfMemory);
    connect(MemArbeitsfenster, &TextWindow::refused, this,
            [this](const QString& message) { platform_.showErrorReport(message); });
    const auto warnUnstorable = [this](qsizetype count) { platform_.showMessage(unstorableWarning(count)); };
    connect(MemArbeitsfenster, &TextWindow::unstorableEntering, this, warnUnstorable);
    // Right after the edit: a message box amid the field's own edit could take the next key in the middle of it.
    connect(EdiKopfzeile, &HeaderField::unstorableEntering, this, warnUnstorable, Qt::QueuedConnection);
    // The header is saved with the document, so editing it is a change of the document.
    connect(EdiKopfzeile, &QLineEdit::textEdited, this, [this] { markChanged(); });
    connect(Schliessen1, &QAction::triggered, this, &TForm1::Schliessen1Click);
    connect(Oeffnen1, &QAction::triggered, this, &TForm1::Oeffnen1Click);
    connect(Speichern1, &QAction::triggered, this, &TForm1::Speichern1Click);
    connect(Speichernnter1, &QAction::triggered, this, &TForm1::Speichernnter1Click);
    connect(Schrift, &QAction::triggered, this, &TForm1::SchriftClick);
    connect(Seitenansicht1, &QAction::triggered, this, &TForm1::Seitenansicht1Click);
    connect(Vordergrund1, &QAction::triggered, this, &TForm1::PanTopClick);
    connect(Beenden1, &QAction::triggered, this, &TForm1::Beenden1Click);
    connect(SelectAll1, &QAction::triggered, this, &TForm1::SelectAll1Click);
    connect(Suchen2, &QAction::triggered, this, &TForm1::Suchen2Click);
    connect(Weitersuchen1, &QAction::triggered, this, &TForm1::Weitersuchen1Click);
    connect(Ersetzen1, &QAction::triggered, this, &TForm1::Ersetzen1Click);
    connect(Info1, &QAction::triggered, this, &TForm1::Info1Click);
}

void TForm1::FormCreate() {
    markSaved();
    const QString workingDir = platform_.currentDirectory();
    PhraseFilePath = QDir::toNativeSeparators(QDir(workingDir).filePath(QStringLiteral("KorvexPhrasen.txt")));
    SettingsFilePath = QDir::toNativeSeparators(QDir(workingDir).filePath(QString::fromLatin1(kSettingsFileName)));
    Files.currentFileName.clear();
    if (platform_.fileExists(SettingsFilePath)) {
        settings::readSettingsFile(*this);
    } else {
        settings::placeWindowWithoutSettings(*this);
    }
    WindowColor = MemArbeitsfenster->colours().background;
    ColorBox1->selectColour(WindowColor);
    EdiDatum->setText(platform_.todayShortDate());
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TForm1::FormShow() { focusTextWindow(); }

bool TForm1::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    // Framing moves the client area inside the frame: the first moment the frame is known.
    if (outerSizeToFit_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) fitOuterSizeToFrame();
    return handled;
}

QMargins TForm1::frameMargins() const { return knownFrame(*this).value_or(QMargins()); }

// The window may be made smaller by hand, but not by a settings file: every
// tool, "EX" the rightmost, stays in sight.
QSize TForm1::minimumOuterSize() const {
    const QSize tools(BitButClose->geometry().right() + 1, 0);
    return minimumSize().expandedTo(minimumSizeHint()).expandedTo(tools).grownBy(frameMargins());
}

QRect TForm1::outerGeometry() const {
    QRect outer = isMinimized() ? normalGeometry().marginsAdded(frameMargins()) : frameGeometry();
    outer.setSize(outer.size().expandedTo(minimumOuterSize()));
    return outer;
}

void TForm1::setOuterGeometry(const QRect& outer) {
    // A top-level window's position is its frame's, framed or not.
    move(outer.topLeft());
    outerSizeToFit_ = outer.size();
    fitOuterSizeToFrame();
    if (outerSizeToFit_) resize(outer.size());  // no frame so far: outer and inner are one
}

void TForm1::fitOuterSizeToFrame() {
    const std::optional<QMargins> frame = knownFrame(*this);
    if (!frame) return;
    // A size raised to the smallest before the frame was known is raised by the frame now.
    const QSize outer = outerSizeToFit_->expandedTo(minimumOuterSize());
    outerSizeToFit_.reset();
    resize(outer.shrunkBy(*frame));
}

void TForm1::closeEvent(QCloseEvent* event) { event->setAccepted(FormClose()); }

bool TForm1::FormClose() {
    if (!document::closeAllowed(*this)) return false;
    const CloseFailures failures = writeFilesAtClose(*this, Form3);
    // A file that cannot be written keeps the window open once, so nothing
    // goes unnoticed; closing again after that report ends without it.
    if (!failures.allIn(closeFailuresReported_)) {
        closeFailuresReported_ = failures.messages;
        platform_.showErrorReport(failures.report());
        return false;
    }
    emit closeConfirmed();
    return true;
}

void TForm1::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const KxError& error) {
        platform_.showErrorReport(QString::fromUtf8(error.what()));
    } catch (const std::bad_alloc&) {
        // What the command had built is freed by now; the program goes on.
        reportOutOfMemory();
    }
}

void TForm1::reportOutOfMemory() {
    // Whatever else runs short while the report is open is said by it already.
    if (reportingOutOfMemory_) return;
    reportingOutOfMemory_ = true;
    const auto done = qScopeGuard([this] { reportingOutOfMemory_ = false; });
    platform_.showErrorReport(QString::fromUtf8(kOutOfMemoryMessage));
}

MainWindowIntentions::Answer TForm1::ask(const QString& question) {
    KxMsgDlg->Execute(question);
    if (KxMsgDlg->YesChosen) return Answer::Yes;
    if (KxMsgDlg->NoChosen) return Answer::No;
    return KxMsgDlg->CancelChosen ? Answer::Cancel : Answer::Closed;
}

void TForm1::focusTextWindow() { MemArbeitsfenster->setFocus(Qt::OtherFocusReason); }

TextPrimitives& TForm1::textWindow() { return *MemArbeitsfenster; }
const TextPrimitives& TForm1::textWindow() const { return *MemArbeitsfenster; }

void TForm1::chooseTextFont(const QFont& font, Colour textColour) {
    MemArbeitsfenster->setFont(font);
    MemArbeitsfenster->setColours({MemArbeitsfenster->colours().background, textColour});
    EdiKopfzeile->setFont(font);
    EdiKopfzeile->setColours({EdiKopfzeile->colours().background, textColour});
}

void TForm1::chooseWindowColour(Colour colour) {
    MemArbeitsfenster->setColours({colour, MemArbeitsfenster->colours().text});
    WindowColor = colour;
    EdiKopfzeile->setColours({colour, EdiKopfzeile->colours().text});
}

void TForm1::showDate(const QString& date) { EdiDatum->setText(date); }

QString TForm1::selectShownDate() {
    EdiDatum->selectAll();
    return EdiDatum->selectedText();
}

// "TOP" is raised while the window does not stay on top.
bool TForm1::staysOnTop() const { return !PanTop->isRaised(); }

void TForm1::stayOnTop(bool onTop) {
    PanTop->setRaised(!onTop);
    Vordergrund1->setChecked(onTop);
    // Changing the flag recreates the native window, which hides it and may
    // lose the text window's place and the focus.
    QWidget* focused = focusWidget();
    MemArbeitsfenster->keepPlace([this, onTop] {
        const bool wasVisible = isVisible();
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        if (wasVisible) show();
    });
    if (focused) focused->setFocus(Qt::OtherFocusReason);
}

QString TForm1::timeFieldText() const { return EdiTime->text(); }
void TForm1::showInTimeField(const QString& text) { EdiTime->setText(text); }
void TForm1::startTicking() { TimStopper->start(); }
void TForm1::stopTicking() { TimStopper->stop(); }

QString TForm1::CZeile() const { return QString::number(MemArbeitsfenster->caretLine() + 1); }

QString TForm1::CSpalte() const { return QString::number(MemArbeitsfenster->caretColumn() + 1); }

void TForm1::updateStatus() {
    // It runs twice per key: a label is set only when its number changed,
    // since setting one measures the text anew.
    const auto show = [](ValueLabel* label, int value) {
        const QString text = QString::number(value);
        if (text != label->text()) label->setValue(text);
    };
    const TextWindow::CaretPlace caret = MemArbeitsfenster->caretPlace();
    show(LabShowZeilenAnz, MemArbeitsfenster->count());
    show(LabShowCZeile, caret.line + 1);
    show(LabShowCSpalte, caret.column + 1);
}

void TForm1::ShowAktDatName() { LabShowDatName->setText(nameOnOneLine(Files.currentFileName.right(91))); }

QString TForm1::headerText() const { return EdiKopfzeile->text(); }
void TForm1::setHeaderText(const QString& text) { EdiKopfzeile->setText(text); }
void TForm1::clearHeader() { EdiKopfzeile->clear(); }

void TForm1::headerFollowsTextWindow() {
    EdiKopfzeile->setFont(MemArbeitsfenster->font());
    EdiKopfzeile->setColours(MemArbeitsfenster->colours());
}

void TForm1::documentRead(const QString& path, const FileSeen& seen) {
    Files.currentFileName = path;
    Files.seen = seen;
    ShowAktDatName();
}

void TForm1::documentWritten(const QString& path, const FileSeen& seen) {
    documentRead(path, seen);
    emit documentSaved();
}

void TForm1::documentUnnamed() {
    Files.currentFileName.clear();
    ShowAktDatName();
}

void TForm1::filesBack(const document::DocumentFiles& files) {
    Files = files;
    ShowAktDatName();
}

const printing::PrintBuffer& TForm1::keepPrintBuffer(printing::PrintBuffer buffer) {
    LstBoxDruck = std::move(buffer);
    return LstBoxDruck;
}

void TForm1::MemArbeitsfensterChange() { updateStatus(); }

void TForm1::MemArbeitsfensterKeyPress() {
    updateStatus();
    markChanged();
}

// Each handler starts one command; the commands give the focus back to the
// text window where that is their rule. One line per handler reads as the
// wiring table it is.
// clang-format off
void TForm1::SpButSchliessenClick() { guarded([this] { document::newClose(*this); }); }
void TForm1::SpButOeffnenClick() { guarded([this] { document::open(*this); }); }
void TForm1::SpButSpeichernClick() { guarded([this] { document::save(*this); }); }
void TForm1::SpButSpUnterClick() { guarded([this] { document::saveAs(*this); }); }
void TForm1::SpButDruckenClick() { guarded([this] { printing::print(*this); }); }
void TForm1::SpButFontsClick() { guarded([this] { editing::chooseFont(*this); }); }
void TForm1::PanTopClick() { guarded([this] { editing::toggleStayOnTop(*this); }); }
void TForm1::EdiDatumClick() { guarded([this] { editing::refreshDate(*this); }); }
void TForm1::ButDatumClick() { guarded([this] { editing::insertDate(*this); }); }
void TForm1::ButXClick() { guarded([this] { editing::cut(*this); }); }
void TForm1::ButCClick() { guarded([this] { editing::copy(*this); }); }
void TForm1::ButEClick() { guarded([this] { editing::paste(*this); }); }
void TForm1::ButPhrasenClick() { guarded([this] { Form3->showFromMainWindow(); }); }
void TForm1::ButReplaceClick() { guarded([this] { editing::convertText(*this, HtmlConversion::KeepTags); }); }
void TForm1::ButReplaceAllClick() { guarded([this] { editing::convertText(*this, HtmlConversion::All); }); }
void TForm1::ButStartClick() { guarded([this] { typingtest::start(*this); }); }
void TForm1::ButStopClick() { guarded([this] { typingtest::stop(*this); }); }
void TForm1::ButResetClick() { guarded([this] { typingtest::reset(*this); }); }
void TForm1::TimStopperTimer() { guarded([this] { typingtest::timerTick(*this); }); }
void TForm1::BitButCloseClick() { close(); }
void TForm1::openDocuments(const QStringList& paths, bool afterRestore) {
    guarded([&] { document::openFiles(*this, paths, afterRestore); });
}
void TForm1::ColorBox1Select() { guarded([this] { editing::applyPickedColour(*this, ColorBox1->selectedColour()); }); }
// clang-format on

// Menu items that repeat a tool button run the button's handler.
void TForm1::Schliessen1Click() { SpButSchliessenClick(); }
void TForm1::Oeffnen1Click() { SpButOeffnenClick(); }
void TForm1::Speichern1Click() { SpButSpeichernClick(); }
void TForm1::Speichernnter1Click() { SpButSpUnterClick(); }
void TForm1::SchriftClick() { SpButFontsClick(); }
void TForm1::Seitenansicht1Click() {
    guarded([this] { printing::preview(*this); });
}

void TForm1::Beenden1Click() {
    SpButSchliessenClick();
    close();
}

void TForm1::SelectAll1Click() { editing::selectAll(*this); }
void TForm1::Suchen2Click() { findReplace_->showFind(); }
void TForm1::Weitersuchen1Click() { findReplace_->findNext(); }
void TForm1::Ersetzen1Click() { findReplace_->showReplace(); }
void TForm1::Info1Click() { Form2->exec(); }

}  // namespace korvex
