#include "app/recoverylink.h"

#include <QDateTime>
#include <QFileInfo>

#include "app/uKorvex21.h"
#include "dialogs/uKxMsgDlg.h"
#include "display/documenttext.h"
#include "display/textwindow.h"
#include "document/headerfield.h"
#include "platform/fileseen.h"

namespace korvex {

RecoveryLink::RecoveryLink(TForm1& form, TKxMsgDlg& question)
    : form_(form),
      question_(question),
      keeper_(form.platform(), *this, QFileInfo(form.settingsFilePath()).absolutePath()) {
    using recovery::RecoveryKeeper;
    QObject::connect(form.MemArbeitsfenster, &QPlainTextEdit::textChanged, &keeper_, &RecoveryKeeper::noteChange);
    QObject::connect(form.EdiKopfzeile, &QLineEdit::textChanged, &keeper_, &RecoveryKeeper::noteChange);
    QObject::connect(&form, &TForm1::documentSaved, &keeper_, &RecoveryKeeper::discard);
    QObject::connect(&form, &TForm1::closeConfirmed, &keeper_, &RecoveryKeeper::discard);
}

bool RecoveryLink::hasUnsavedText() const {
    return !form_.isSaved() && !(form_.MemArbeitsfenster->isDocumentEmpty() && form_.headerText().isEmpty());
}

recovery::Snapshot RecoveryLink::snapshot() const {
    const TextWindow& textWindow = *form_.MemArbeitsfenster;
    const document::DocumentFiles& files = form_.files();
    const bool seenIsCurrent = !files.currentFileName.isEmpty() && files.seen.path == files.currentFileName;
    return {textWindow.rawText(), form_.headerText(), files.currentFileName, textWindow.caretPosition(),
            seenIsCurrent ? files.seen : FileSeen{}};
}

void RecoveryLink::restore(const recovery::RecoveryRecord& record, std::function<void()> givenUp) {
    TextWindow& textWindow = *form_.MemArbeitsfenster;
    const document::DocumentFiles files = form_.files();
    const QString header = form_.headerText();
    const bool saved = form_.isSaved();
    textWindow.loadBytes(record.text);
    form_.setHeaderText(fromCp1252(record.header));
    const QString fileName = QString::fromStdString(record.fileName);
    // A save then asks, as it would have before the crash, when another program has changed the file since.
    // A copy that does not know the file's state takes it as missing: a file there now is not written over unasked.
    FileSeen seen{fileName, -1, {}};
    if (record.fileSize >= 0 && record.fileModified >= 0) {
        seen = {fileName, record.fileSize, QDateTime::fromMSecsSinceEpoch(record.fileModified)};
    }
    form_.documentRead(fileName, seen);
    textWindow.placeCaret(record.caret);
    form_.markChanged();  // the text is not in its file: the next close asks
    form_.updateStatus();
    textWindow.whenLoadGivenUp([this, files, header, saved, givenUp = std::move(givenUp)] {
        form_.filesBack(files);
        form_.setHeaderText(header);
        saved ? form_.markSaved() : form_.markChanged();
        form_.updateStatus();
        givenUp();
    });
}

bool RecoveryLink::askYesNo(const QString& question) {
    question_.CancelVisible = false;
    question_.Execute(question);
    return question_.YesChosen;
}

}  // namespace korvex
