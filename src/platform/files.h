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

// The same for a file Korvex keeps for itself (settings, phrases, recovery
// copies), checked at every write: a symbolic link on the way is followed
// only when it belongs to the user or to the owner of its folder (the rule
// the system keeps in shared folders like /tmp, which never gets a say here
// as the links are followed by hand), and a file of another user is never
// written. Throws KxError "Datei <path> wird nicht geschrieben: ..." then,
// and as above when the write fails.
void replaceOwnFile(const QString& path, const QByteArray& bytes, bool privateIfNew);

// Reads a regular file of the user's own, never through a link; throws as
// readRegularFile.
QByteArray readOwnFile(const QString& path, qint64 maxBytes);

// True for a regular file of the user's own (a link does not count).
bool isOwnRegularFile(const QString& path);

// Makes the folder with those above it; true when it is then a folder of the
// user's own that nobody else may enter (made so where it was not).
bool makePrivateFolder(const QString& path);

}  // namespace korvex
