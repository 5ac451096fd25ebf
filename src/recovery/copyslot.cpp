#include "recovery/copyslot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace korvex::recovery {
namespace {

const QString kCopyName = QStringLiteral("Korvex23Wiederherstellung-%1.txt");
const QString kLockName = QStringLiteral("Korvex23Wiederherstellung-%1.lock");

bool copyExists(const QString& path) { return QFileInfo(path).exists() || QFileInfo(path).isSymLink(); }

}  // namespace

CopySlot::CopySlot(const QString& folder, int number)
    : copyPath_(QDir(folder).filePath(kCopyName.arg(number))), lock_(QDir(folder).filePath(kLockName.arg(number))) {
    // Held for the whole run: only a dead owner makes a lock stale, never its age.
    lock_.setStaleLockTime(0);
}

bool CopySlot::tryClaim() {
    if (!lock_.tryLock(0)) return false;
    // Made as the umask says; like the copies, it is for the user alone.
    QFile::setPermissions(lock_.fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

std::unique_ptr<CopySlot> CopySlot::claimFree(const QString& folder) {
    for (int number = 1; number <= kMaxSlots; ++number) {
        std::unique_ptr<CopySlot> slot(new CopySlot(folder, number));
        // A copy in a free place is an orphan the next start offers: it is never written over.
        if (!copyExists(slot->copyPath_) && slot->tryClaim()) return slot;
    }
    return nullptr;
}

std::vector<std::unique_ptr<CopySlot>> CopySlot::claimOrphans(
    const QString& folder, const std::function<bool(const QString& copyPath)>& wanted) {
    static const QRegularExpression copyName(QStringLiteral("^Korvex23Wiederherstellung-([1-9][0-9]?)\\.txt$"));
    std::vector<std::unique_ptr<CopySlot>> orphans;
    const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System, QDir::Time);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = copyName.match(name);
        if (!match.hasMatch()) continue;
        std::unique_ptr<CopySlot> slot(new CopySlot(folder, match.captured(1).toInt()));
        if (wanted(slot->copyPath_) && slot->tryClaim()) orphans.push_back(std::move(slot));
    }
    return orphans;
}

}  // namespace korvex::recovery
