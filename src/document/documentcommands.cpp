#include "document/documentcommands.h"

#include <QDir>

#include "app/uKorvex21.h"
#include "base/kxerror.h"
#include "document/docformat.h"
#include "document/headerfield.h"
#include "platform/platform.h"
#include "widgets/qtconvert.h"
#include "widgets/textwindow.h"

namespace korvex::document {
namespace {

enum class Answer { NotAsked, Yes, No, Cancel };

const QString kCutAtNulMessage = QStringLiteral(
    "Die Datei %1 enthält ein NUL-Byte. Der Text nach dem NUL-Byte wurde nicht geladen "
    "und geht verloren, wenn Sie über diese Datei speichern.");

// "Aktuelle Textdatei speichern?" when the document is changed and not empty;
// a header alone is worth saving too. Closing the question without a button
// keeps the text, like ABBRECHEN.
Answer saveQuestion(TForm1& form) {
    const bool empty = form.MemArbeitsfenster->isDocumentEmpty() && form.EdiKopfzeile->text().isEmpty();
    if (empty || form.isSaved()) return Answer::NotAsked;
    switch (form.ask(QStringLiteral("Aktuelle Textdatei speichern?"))) {
        case MainWindowIntentions::Answer::Yes: return Answer::Yes;
        case MainWindowIntentions::Answer::No: return Answer::No;
        case MainWindowIntentions::Answer::Cancel:
        case MainWindowIntentions::Answer::Closed: break;
    }
    return Answer::Cancel;
}

QString folderOf(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    return native.left(native.lastIndexOf(QDir::separator()) + 1);
}

// Writes the document to `path`; the caller makes it the document's name
// only afterwards, so a failed write never retargets the next Save.
void Speichern(TForm1& form, const QString& path) {
    const std::string bytes = composeDocument(toCp1252(form.EdiKopfzeile->text()), form.MemArbeitsfenster->text());
    form.platform().writeWholeFile(path, QByteArray::fromStdString(bytes));
    form.markSaved();
    emit form.documentSaved();
}

// Reads `path` into the text window and the header field; a failed read
// changes nothing. The text ends at a NUL byte, which the user is told.
void Laden(TForm1& form, const QString& path) {
    const QByteArray bytes = form.platform().readWholeFile(path);
    TextWindow& memo = *form.MemArbeitsfenster;
    memo.loadFileBytes(bytes);
    std::optional<std::string> header;
    memo.withoutUndo([&] { header = takeHeaderBlock(memo); });
    if (header) form.EdiKopfzeile->setText(fromCp1252(*header));
    form.markSaved();
    if (bytes.contains('\0')) form.platform().showMessage(kCutAtNulMessage.arg(QDir::toNativeSeparators(path)));
}

void ClearTexts(TForm1& form) {
    form.MemArbeitsfenster->clear();
    form.EdiKopfzeile->clear();
    form.markSaved();
}

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
    Speichern(form, *name);
    form.CurrentFileName = *name;
    form.ShowAktDatName();
    form.SaveDir = folderOf(*name);
    form.FocusTextWindow();
    return true;
}

// Save: true when the file was written.
bool saveOrAsk(TForm1& form) {
    if (form.CurrentFileName.isEmpty()) return saveUnderNewName(form);
    Speichern(form, form.CurrentFileName);
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

// The chosen file becomes the document's name only once it has loaded.
void loadChosen(TForm1& form, const QString& path) {
    Laden(form, path);
    form.CurrentFileName = path;
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
