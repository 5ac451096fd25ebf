#pragma once

#include <QDateTime>
#include <QString>

namespace korvex {

// A file as this program last read or wrote it (or found it missing): tells
// when another program has changed it since.
struct FileSeen {
    QString path;
    qint64 size = -1;  // -1: there was no file
    QDateTime modified;

    // The file at `path` as it is now.
    static FileSeen now(const QString& path);
    // The file is no longer as it was seen: written, made or removed since.
    bool changedSince() const;
};

}  // namespace korvex
