#include "app/recoverylink.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTextCursor>
#include <algorithm>

#include "app/uKorvex21.h"
#include "dialogs/uKxMsgDlg.h"
#include "display/documenttext.h"
#include "display/textwindow.h"
#include "document/headerfield.h"

namespace korvex {

RecoveryLink::RecoveryLink(TForm1& form)
    : form_(form), keeper_(form.platform(), *this, QFileInfo(form.SettingsFilePath).absolutePath()) {
    using recovery::RecoveryKeeper;
    QObject::connect(form.MemArbeitsfenster, &QPlainTextEdit::textChanged, &keeper_, &RecoveryKeeper::noteChange);
    QObject::connect(form.EdiKopfzeile, &QLineEdit::textChanged, &keeper_, &RecoveryKeeper::noteChange);
    QObject::connect(&form, &TForm1::documentSaved, &keeper_, &RecoveryKeeper::discard);
    QObject::connect(&form, &TForm1::closeConfirmed, &keeper_, &RecoveryKeeper::discard);
}

bool RecoveryLink::hasUnsavedText() const {
    return !form_.isSaved() && !(form_.MemArbeitsfenster->isDocumentEmpty() && form_.EdiKopfzeile->text().isEmpty());
}

recovery::Snapshot RecoveryLink::snapshot() const {
    const TextWindow& memo = *form_.MemArbeitsfenster;
    const document::DocumentFiles& files = form_.Files;
    recovery::Snapshot snapshot{memo.rawText(), form_.EdiKopfzeile->text(), files.CurrentFileName,
                                memo.textCursor().position()};
    if (!files.CurrentFileName.isEmpty() && files.Seen.path == files.CurrentFileName) snapshot.file = files.Seen;
    return snapshot;
}

void RecoveryLink::restore(const recovery::RecoveryRecord& record) {
    TextWindow& memo = *form_.MemArbeitsfenster;
    memo.loadBytes(record.text);
    form_.EdiKopfzeile->setText(fromCp1252(record.header));
    form_.Files.CurrentFileName = QString::fromStdString(record.fileName);
    // A save then asks, as it would have before the crash, when another program has changed the file since.
    form_.Files.Seen = {};
    if (record.fileSize >= 0 && record.fileModified >= 0) {
        form_.Files.Seen = {form_.Files.CurrentFileName, record.fileSize,
                            QDateTime::fromMSecsSinceEpoch(record.fileModified)};
    }
    form_.ShowAktDatName();
    QTextCursor caret(memo.document());
    caret.setPosition(static_cast<int>(std::clamp<long long>(record.caret, 0, memo.document()->characterCount() - 1)));
    memo.setTextCursor(caret);
    form_.markChanged();  // the text is not in its file: the next close asks
    form_.updateStatus();
}

bool RecoveryLink::askYesNo(const QString& question) {
    TKxMsgDlg& dialog = *form_.KxMsgDlg;
    dialog.CancelVisible = false;
    dialog.Execute(question);
    return dialog.YesChosen;
}

}  // namespace korvex
