#include "document/documentcommands.h"

#include <QDir>

#include "app/kxerror.h"
#include "app/qtconvert.h"
#include "app/textwindow.h"
#include "app/uKorvex21.h"
#include "dialogs/uKxMsgDlg.h"
#include "document/docformat.h"
#include "document/headerfield.h"
#include "platform/platform.h"

namespace korvex::document {
namespace {

enum class Answer { NotAsked, Yes, No, Cancel };

// "Aktuelle Textdatei speichern?" when the text is changed and not empty.
// Closing the question without a button keeps the text, like ABBRECHEN.
Answer saveQuestion(TForm1& form) {
    if (form.MemArbeitsfenster->isDocumentEmpty() || form.SavedFlag) return Answer::NotAsked;
    form.KxMsgDlg->Execute(QStringLiteral("Aktuelle Textdatei speichern?"));
    if (form.KxMsgDlg->YesChosen) return Answer::Yes;
    if (form.KxMsgDlg->NoChosen) return Answer::No;
    return Answer::Cancel;
}

QString folderOf(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    return native.left(native.lastIndexOf(QDir::separator()) + 1);
}

void Speichern(TForm1& form) {
    const std::string bytes = composeDocument(toCp1252(form.EdiKopfzeile->text()), form.MemArbeitsfenster->text());
    form.platform().writeWholeFile(form.CurrentFileName, QByteArray::fromStdString(bytes));
    form.SavedFlag = true;
    emit form.documentSaved();
}

void Laden(TForm1& form) {
    const QByteArray bytes = form.platform().readWholeFile(form.CurrentFileName);
    TextWindow& memo = *form.MemArbeitsfenster;
    memo.loadBytes(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    std::optional<std::string> header;
    memo.withoutUndo([&] { header = takeHeaderBlock(memo); });
    if (header) form.EdiKopfzeile->setText(fromCp1252(*header));
    form.SavedFlag = true;
}

void ClearTexts(TForm1& form) {
    form.MemArbeitsfenster->clear();
    form.EdiKopfzeile->clear();
    form.SavedFlag = true;
}

bool saveOrAsk(TForm1& form);

// Save as: true when the file was written.
bool saveUnderNewName(TForm1& form) {
    const std::optional<QString> name = form.platform().askSaveFileName(&form, form.SaveDir);
    if (!name) {
        form.FocusTextWindow();
        return false;
    }
    if (name->isEmpty()) {
        form.platform().showMessage(QStringLiteral("Filename fehlt! Nochmal speichern!"));
        form.FocusTextWindow();
        return false;
    }
    form.CurrentFileName = *name;
    Speichern(form);
    form.ShowAktDatName();
    form.SaveDir = folderOf(*name);
    form.FocusTextWindow();
    return true;
}

// Save: true when the file was written.
bool saveOrAsk(TForm1& form) {
    if (form.CurrentFileName.isEmpty()) return saveUnderNewName(form);
    Speichern(form);
    form.FocusTextWindow();
    return true;
}

// The save question with its answer carried out: true when the caller may
// go on and let the text go (saved, not wanted, or nothing to save).
bool textMayGo(TForm1& form) {
    switch (saveQuestion(form)) {
        case Answer::NotAsked:
        case Answer::No: return true;
        case Answer::Cancel: return false;
        case Answer::Yes: break;
    }
    try {
        return saveOrAsk(form);
    } catch (const KxError& error) {
        // The user asked to keep the text: a failed save stops like ABBRECHEN.
        form.platform().showErrorReport(QString::fromUtf8(error.what()));
        return false;
    }
}

void loadChosen(TForm1& form, const QString& path) {
    form.CurrentFileName = path;
    Laden(form);
    form.ShowAktDatName();
    form.OpenDir = folderOf(path);
}

}  // namespace

void newClose(TForm1& form) {
    if (!textMayGo(form)) return;
    form.CurrentFileName.clear();
    form.ShowAktDatName();
    ClearTexts(form);
    form.StatusUpdate();
    form.FocusTextWindow();
}

void open(TForm1& form) {
    if (!textMayGo(form)) return;
    const std::optional<QString> path = form.platform().askOpenFileName(&form, form.OpenDir);
    if (path) loadChosen(form, *path);
    form.FocusTextWindow();
}

void openFiles(TForm1& form, const QStringList& paths) {
    if (paths.isEmpty()) return;
    if (paths.size() > 1) {
        form.platform().showMessage(QStringLiteral("Korvex öffnet nur eine Datei auf einmal. Nicht geöffnet:\n%1")
                                        .arg(paths.mid(1).join(u'\n')));
    }
    if (!textMayGo(form)) return;
    loadChosen(form,
               QDir::toNativeSeparators(QDir(form.platform().currentDirectory()).absoluteFilePath(paths.front())));
    form.FocusTextWindow();
}

void save(TForm1& form) { saveOrAsk(form); }

void saveAs(TForm1& form) { saveUnderNewName(form); }

bool closeAllowed(TForm1& form) { return textMayGo(form); }

}  // namespace korvex::document
