#pragma once

#include <QByteArray>
#include <QString>

namespace korvex {

// Reads a regular file whole. Anything else (a folder, FIFO or device) is
// refused without blocking on it, and a file of more than maxBytes before a
// byte of it is read. Throws KxError "Datei <path> kann nicht geöffnet
// werden" or "Text überschreitet Memo-Kapazität".
QByteArray readRegularFile(const QString& path, qint64 maxBytes);

// Creates the file or replaces its contents where it really lives (a
// symbolic link is followed and stays a link), keeping its hard links, owner,
// group and mode. A read-only file is not replaced. The file never holds a
// mix of two versions: the new one is written into a private temporary file
// that then replaces it; where that would split hard links, change the owner
// or is impossible in a folder that may not be written, the file is
// overwritten in place after a whole copy of the new version was written
// elsewhere. A file it creates only its owner may read and write when
// `privateIfNew`. Throws KxError "Datei <path> kann nicht erstellt werden".
void replaceFileContents(const QString& path, const QByteArray& bytes, bool privateIfNew = false);

}  // namespace korvex
