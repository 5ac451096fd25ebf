#include "document/documentcommands.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "base/cp1252.h"
#include "base/kxerror.h"
#include "display/documenttext.h"
#include "display/textprimitives.h"
#include "document/docformat.h"
#include "platform/filenames.h"
#include "platform/platform.h"

namespace korvex::document {
namespace {

enum class Answer { NotAsked, Yes, No, Cancel };

const QString kUtf8Message = QStringLiteral(
    "Die Datei %1 ist offenbar in UTF-8 geschrieben. Korvex liest und schreibt Texte in Windows-1252: "
    "Umlaute und andere Sonderzeichen der Datei erscheinen hier verfälscht, und was Sie neu eingeben, "
    "wird in Windows-1252 gespeichert.");

const QString kCutAtNulMessage = QStringLiteral(
    "Die Datei %1 enthält ein NUL-Byte. Der Text nach dem NUL-Byte wurde nicht geladen "
    "und geht verloren, wenn Sie über diese Datei speichern.");

// "Aktuelle Textdatei speichern?" when the document is changed and not empty;
// a header alone is worth saving too. Closing the question without a button
// keeps the text, like ABBRECHEN.
Answer saveQuestion(MainWindow& window) {
    const bool empty = window.textWindow().isDocumentEmpty() && window.headerText().isEmpty();
    if (empty || window.isSaved()) return Answer::NotAsked;
    switch (window.ask(QStringLiteral("Aktuelle Textdatei speichern?"))) {
        case MainWindowIntentions::Answer::Yes: return Answer::Yes;
        case MainWindowIntentions::Answer::No: return Answer::No;
        case MainWindowIntentions::Answer::Cancel:
        case MainWindowIntentions::Answer::Closed: break;
    }
    return Answer::Cancel;
}

// Two names of one file (a link and its target, say), or of one path where the file is gone.
bool namesSameFile(const QString& one, const QString& other) {
    const QFileInfo first(one);
    const QFileInfo second(other);
    if (first.exists() && second.exists()) return first.canonicalFilePath() == second.canonicalFilePath();
    return QDir::cleanPath(first.absoluteFilePath()) == QDir::cleanPath(second.absoluteFilePath());
}

// Another program wrote the document's file since this one last read or
// wrote it. A file never seen here (a restored text's, say) or gone since
// holds nobody's changes (in its place a folder makes the save fail).
bool changedElsewhere(const DocumentFiles& files) {
    const FileSeen& seen = files.seen;
    return seen.path == files.currentFileName && QFileInfo(seen.path).isFile() && seen.changedSince();
}

// Saving over a file another program changed meanwhile throws those changes
// away: only when the user says so.
bool overwriteAllowed(MainWindow& window) {
    const QString question = QStringLiteral(
        "Die Datei %1 wurde inzwischen außerhalb von Korvex geändert.\nTrotzdem speichern und überschreiben?");
    // The question's window has room for four lines: the name alone, a long one
    // shortened in its middle (the whole path stands in the display).
    constexpr qsizetype kShownName = 32;
    QString name = nameOnOneLine(QFileInfo(window.files().currentFileName).fileName());
    if (name.size() > kShownName) name = name.first(kShownName / 2 - 1) + QChar(0x2026) + name.last(kShownName / 2);
    return window.ask(question.arg(name)) == MainWindowIntentions::Answer::Yes;
}

QString folderOf(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    return native.left(native.lastIndexOf(QDir::separator()) + 1);
}

// Writes the document to `path`, which becomes the document's name only
// once written, so a failed write never retargets the next Save.
void Speichern(MainWindow& window, const QString& path) {
    const std::string bytes = composeDocument(toCp1252(window.headerText()), window.textWindow().text());
    window.platform().writeWholeFile(path, QByteArray::fromStdString(bytes));
    window.markSaved();
    window.documentWritten(path, FileSeen::now(path));
}

// Reads `path` into the text window and the header field; a failed read
// changes nothing. The text ends at a NUL byte, which the user is told.
void Laden(MainWindow& window, const QString& path) {
    const FileSeen seen = FileSeen::now(path);  // before reading: a change meanwhile counts as one
    const QByteArray bytes = window.platform().readWholeFile(path);
    TextPrimitives& textWindow = window.textWindow();
    textWindow.loadFileBytes(bytes);
    std::optional<std::string> header;
    textWindow.withoutUndo([&] { header = takeHeaderBlock(textWindow); });
    if (header) window.setHeaderText(fromCp1252(*header));
    window.markSaved();
    const QString name = QDir::toNativeSeparators(path);
    if (bytes.contains('\0')) window.platform().showMessage(kCutAtNulMessage.arg(name));
    if (cp1252::looksLikeUtf8(std::string_view(bytes.constData(), size_t(bytes.size())))) {
        window.platform().showMessage(kUtf8Message.arg(name));
    }
    window.documentRead(path, seen);
}

// Empties the text window and the header; the document counts as saved.
void ClearTexts(MainWindow& window) {
    window.textWindow().clear();
    window.clearHeader();
    window.markSaved();
}

// Save as: true when the file was written.
bool saveUnderNewName(MainWindow& window) {
    const std::optional<QString> name = window.platform().askSaveFileName(&window.dialogParent(),
                                                                          window.files().saveDir);
    if (!name) {
        window.focusTextWindow();
        return false;
    }
    if (name->isEmpty()) {
        window.platform().showMessage(QStringLiteral("Filename fehlt! Nochmal speichern!"));
        window.focusTextWindow();
        return false;
    }
    Speichern(window, *name);
    window.saveFolderChosen(folderOf(*name));
    window.focusTextWindow();
    return true;
}

// Save: true when the file was written.
bool saveOrAsk(MainWindow& window) {
    if (window.files().currentFileName.isEmpty()) return saveUnderNewName(window);
    if (changedElsewhere(window.files()) && !overwriteAllowed(window)) {
        window.focusTextWindow();
        return false;
    }
    Speichern(window, window.files().currentFileName);
    window.focusTextWindow();
    return true;
}

// The save question with its answer carried out: true when the caller may
// go on and let the text go (saved, not wanted, or nothing to save).
bool textMayGo(MainWindow& window) {
    switch (saveQuestion(window)) {
        case Answer::NotAsked:
        case Answer::No: return true;
        case Answer::Cancel: return false;
        case Answer::Yes: break;
    }
    try {
        return saveOrAsk(window);
    } catch (const KxError& error) {
        // The user asked to keep the text: a failed save stops like ABBRECHEN.
        window.platform().showErrorReport(QString::fromUtf8(error.what()));
        return false;
    }
}

// The chosen file becomes the document's name only once it has loaded; a
// big file's rest comes in between events, and should memory run out for
// it, the window is as it was before.
void loadChosen(MainWindow& window, const QString& path) {
    const DocumentFiles files = window.files();
    const QString header = window.headerText();
    const bool saved = window.isSaved();
    Laden(window, path);
    window.openFolderChosen(folderOf(path));
    window.textWindow().whenLoadGivenUp([&window, files, header, saved] {
        window.filesBack(files);
        window.setHeaderText(header);
        saved ? window.markSaved() : window.markChanged();
        window.updateStatus();
    });
}

// Names the files left out, so many that the message still fits on a screen.
QString notOpenedMessage(const QStringList& files) {
    constexpr qsizetype kNamed = 10;
    QStringList lines;
    for (const QString& file : files.first(std::min(kNamed, files.size()))) lines << nameOnOneLine(file);
    const qsizetype more = files.size() - lines.size();
    if (more == 1) lines << QStringLiteral("und 1 weitere Datei");
    if (more > 1) lines << QStringLiteral("und %1 weitere Dateien").arg(more);
    return QStringLiteral("Korvex öffnet nur eine Datei auf einmal. Nicht geöffnet:\n") + lines.join(u'\n');
}

}  // namespace

void newClose(MainWindow& window) {
    if (!textMayGo(window)) return;
    window.documentUnnamed();
    ClearTexts(window);
    window.updateStatus();
    window.focusTextWindow();
}

void open(MainWindow& window) {
    if (!textMayGo(window)) return;
    const std::optional<QString> path = window.platform().askOpenFileName(&window.dialogParent(),
                                                                          window.files().openDir);
    if (path) loadChosen(window, *path);
    window.focusTextWindow();
}

void openFiles(MainWindow& window, const QStringList& paths, bool afterRestore) {
    if (paths.isEmpty()) return;
    if (paths.size() > 1) window.platform().showMessage(notOpenedMessage(paths.mid(1)));
    const QString path = QDir::toNativeSeparators(
        QDir(window.platform().currentDirectory()).absoluteFilePath(paths.front()));
    if (afterRestore && namesSameFile(path, window.files().currentFileName)) return;  // open already, unsaved
    if (!textMayGo(window)) return;
    loadChosen(window, path);
    window.focusTextWindow();
}

void save(MainWindow& window) { saveOrAsk(window); }

void saveAs(MainWindow& window) { saveUnderNewName(window); }

bool closeAllowed(MainWindow& window) { return textMayGo(window); }

}  // namespace korvex::document
