#include "platform/fileseen.h"

#include <QFileInfo>

namespace korvex {

FileSeen FileSeen::now(const QString& path) {
    const QFileInfo file(path);
    if (!file.exists()) return {path, -1, {}};
    return {path, file.size(), file.lastModified()};
}

bool FileSeen::changedSince() const {
    const FileSeen current = now(path);
    return current.size != size || current.modified != modified;
}

}  // namespace korvex
