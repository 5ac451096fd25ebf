#include "dialogs/uPhrasen.h"

#include <QCloseEvent>
#include <QFile>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <utility>

#include "base/kxerror.h"
#include "display/documenttext.h"
#include "display/textprimitives.h"
#include "platform/platform.h"
#include "widgets/controls.h"

namespace korvex {

namespace {

// Shown in place of the phrases as long as there is no phrase file.
QString builtInNotice() {
    QFile file(QStringLiteral(":/texts/phrase-notice.txt"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromUtf8(file.readAll());
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    return text;
}

// The selection with its line breaks as '\n'.
QString selectionText(const QPlainTextEdit* edit) {
    QString text = edit->textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

}  // namespace

TForm3::TForm3(MainWindow& mainWindow)
    : QWidget(&mainWindow.dialogParent(), Qt::Window | Qt::WindowStaysOnTopHint), main_(mainWindow) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("KORVEX V2.3 // Phraseneditor"));
    resize(639, 601);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PanOben = new QFrame(this);
    PanOben->setObjectName(QStringLiteral("PanOben"));
    PanOben->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PanOben->setFixedHeight(32);
    auto* topLayout = new QHBoxLayout(PanOben);
    topLayout->setContentsMargins(8, 0, 8, 0);
    LabHinweis = new QLabel(
        QStringLiteral("Im Phraseneditor markierter Text wird im Arbeitsfenster an der Cursorposition eingefügt."),
        PanOben);
    LabHinweis->setObjectName(QStringLiteral("LabHinweis"));
    LabHinweis->setFont(pixelFont(QStringLiteral("Arial"), 13, false));
    topLayout->addWidget(LabHinweis);
    layout->addWidget(PanOben);

    MemPhrasen = new BoundedTextEdit(this);
    MemPhrasen->setObjectName(QStringLiteral("MemPhrasen"));
    MemPhrasen->setAccessibleName(QStringLiteral("Phrasen"));
    MemPhrasen->setAccessibleDescription(LabHinweis->text());
    MemPhrasen->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    MemPhrasen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemPhrasen->viewport()->installEventFilter(this);
    connect(MemPhrasen, &BoundedTextEdit::refused, this,
            [this](const QString& message) { main_.platform().showErrorReport(message); });
    layout->addWidget(MemPhrasen, 1);

    PanUnten = new QFrame(this);
    PanUnten->setObjectName(QStringLiteral("PanUnten"));
    PanUnten->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PanUnten->setFixedHeight(40);
    layout->addWidget(PanUnten);

    auto makeButton = [&](const char* name, const QString& caption, QRect geometry) {
        auto* button = new QPushButton(caption, PanUnten);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(geometry);
        button->setFont(pixelFont(QStringLiteral("Arial"), 13, true));
        button->setAutoDefault(false);
        return button;
    };
    ButPhrEinf = makeButton("ButPhrEinf", QStringLiteral("Phrase einfügen"), {8, 7, 121, 26});
    Button1 = makeButton("Button1", QStringLiteral("Einfüg. üb. Zw'ablage"), {136, 8, 153, 25});
    Button1->setAccessibleName(QStringLiteral("Einfügen über die Zwischenablage"));
    ButAbbr = makeButton("ButAbbr", QStringLiteral("Abbrechen"), {296, 7, 105, 26});
    connect(ButPhrEinf, &QPushButton::clicked, this, &TForm3::ButPhrEinfClick);
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(ButAbbr, &QPushButton::clicked, this, &TForm3::ButAbbrClick);

    // The create handler.
    setPaletteColour(*MemPhrasen, QPalette::Base, QColor(230, 230, 240));
    // Every edit counts, however it arrives (keys, Delete, paste, drop, context menu).
    connect(MemPhrasen->document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (!loading_ && (removed != 0 || added != 0)) PhrasesModified = true;
    });
}

void TForm3::showFromMainWindow() {
    const bool wasVisible = isVisible();
    const QWidget& mainWindow = main_.dialogParent();
    resize(mainWindow.width(), height());
    const QRect mainFrame = mainWindow.frameGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(mainFrame.center());
    move(frame.topLeft());
    show();
    raise();
    if (wasVisible && !isActiveWindow()) {
        // Run the activation handler now, before the focus goes into the phrases.
        FormActivate();
        activationPending_ = true;
    }
    activateWindow();
    MemPhrasen->setFont(main_.textWindow().textFont());
    setPaletteColour(*MemPhrasen, QPalette::Text, Qt::black);
    MemPhrasen->setFocus(Qt::OtherFocusReason);
}

void TForm3::showEvent(QShowEvent* event) {
    if (noticePending_) {
        noticePending_ = false;
        loading_ = true;
        MemPhrasen->setPlainText(builtInNotice());
        loading_ = false;
    }
    QWidget::showEvent(event);
    FormActivate();
    activationPending_ = true;
}

void TForm3::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    activationPending_ = false;
}

bool TForm3::event(QEvent* event) {
    const bool result = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate) {
        // The first activation after a show was handled with the show.
        if (activationPending_) activationPending_ = false;
        else FormActivate();
    } else if (event->type() == QEvent::WindowDeactivate) {
        activationPending_ = false;
    }
    return result;
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    // A window manager may report the activation that a click into the
    // phrases causes only after the click itself.
    if (watched == MemPhrasen->viewport() && event->type() == QEvent::MouseButtonPress && !isActiveWindow()) {
        clickedIntoPhrases_ = true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm3::FormActivate() {
    const bool clickedIntoPhrases = std::exchange(clickedIntoPhrases_, false);
    // Edits not yet written stay in the window: reloading would lose them.
    if (PhrasesModified) return;
    // The user's click into the phrases keeps the focus there.
    if (clickedIntoPhrases) MemPhrasen->setFocus(Qt::MouseFocusReason);
    else ButPhrEinf->setFocus(Qt::OtherFocusReason);
    main_.guarded([this] { loadPhraseFile(); });
}

void TForm3::loadPhraseFile() {
    Platform& platform = main_.platform();
    const QString path = main_.phraseFilePath();
    const FileSeen seen = FileSeen::now(path);  // before reading: a change meanwhile counts as one
    if (!platform.fileExists(path)) {
        phraseFileSeen_ = seen;
        return;
    }
    const QByteArray bytes = platform.readWholeFile(path);
    const std::string_view view(bytes.constData(), size_t(bytes.size()));
    // A line of millions of characters would hold the editor up for minutes.
    const FileTextShape shape = measureFileText(view);
    if (!BoundedTextEdit::withinBounds(view.size(), shape.lines, shape.longest)) {
        throw KxError(BoundedTextEdit::kOverCapacity.toStdString());
    }
    const QString text = documentTextFromBytes(view);
    phraseFileSeen_ = seen;
    PhrasesModified = false;
    if (text == MemPhrasen->toPlainText()) return;  // keeps caret and scroll position
    loading_ = true;
    MemPhrasen->setPlainText(text);
    loading_ = false;
}

// Writing over phrases another program saved meanwhile throws them away:
// only when the user says so. NEIN takes the file's phrases instead of this
// window's; anything else leaves both as they are.
bool TForm3::writePhraseFile() {
    const QString path = main_.phraseFilePath();
    if (phraseFileSeen_.path == path && phraseFileSeen_.changedSince()) {
        if (!PhrasesModified) return true;  // nothing of this window's to keep: the file's phrases stand
        const QString question = QStringLiteral(
            "Die Phrasendatei wurde inzwischen außerhalb von Korvex geändert.\n"
            "Mit den hier geänderten Phrasen überschreiben?\n(NEIN übernimmt die Phrasen der Datei.)");
        switch (main_.ask(question)) {
            case MainWindowIntentions::Answer::Yes: break;
            case MainWindowIntentions::Answer::No: loadPhraseFile(); return true;
            default: return false;
        }
    }
    const std::string bytes = bytesFromDocumentText(MemPhrasen->toPlainText());
    main_.platform().writePrivateFile(path, QByteArray(bytes.data(), qsizetype(bytes.size())));
    phraseFileSeen_ = FileSeen::now(path);
    PhrasesModified = false;
    return true;
}

void TForm3::insertSelection(InsertWay way) {
    // The text locked at the end of a typing test takes no phrase.
    if (main_.textWindow().isLocked()) return;
    if (!MemPhrasen->textCursor().hasSelection()) {
        main_.platform().showMessage(QStringLiteral("Es ist nichts ausgewählt!") + QStringLiteral("\n") +
                                     QStringLiteral("\r") +
                                     QStringLiteral("Bitte eine Auswahl treffen oder abbrechen."));
        return;
    }
    const QString phrase = selectionText(MemPhrasen);
    main_.textWindow().announceUnstorable(phrase);
    if (way == InsertWay::Direct) {
        main_.textWindow().replaceSelection(bytesFromDocumentText(phrase));
    } else {
        // Through the clipboard, so that "E" can insert the phrase again.
        main_.platform().setClipboardText(phrase);
        main_.textWindow().replaceSelection(bytesFromDocumentText(main_.platform().clipboardText()));
    }
    main_.markChanged();
    main_.updateStatus();
    writePhraseFile();
    main_.focusTextWindow();
    close();
}

void TForm3::ButPhrEinfClick() {
    main_.guarded([this] { insertSelection(InsertWay::Direct); });
}

void TForm3::Button1Click() {
    main_.guarded([this] { insertSelection(InsertWay::ThroughClipboard); });
}

void TForm3::ButAbbrClick() {
    main_.focusTextWindow();
    close();
}

void TForm3::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm3::FormClose() {
    // A failed write keeps the flag, so the edits stay in the window for the next try.
    if (PhrasesModified) main_.guarded([this] { writePhraseFile(); });
}

void TForm3::saveUnsavedPhrases() {
    if (PhrasesModified && !writePhraseFile()) {
        throw KxError("Die Phrasendatei wurde inzwischen außerhalb von Korvex geändert");
    }
}

}  // namespace korvex
