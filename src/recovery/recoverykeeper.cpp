#include "recovery/recoverykeeper.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <new>

#include "base/kxerror.h"
#include "display/documenttext.h"
#include "platform/filenames.h"
#include "platform/platform.h"
#include "recovery/copyslot.h"
#include "recovery/recoveryfile.h"

namespace korvex::recovery {
namespace {

// Runs on the writer's thread; holds the snapshot's text only as long as needed.
QByteArray copyBytes(Snapshot snapshot, long long writtenAt) {
    RecoveryRecord record;
    record.text = bytesFromDocumentText(snapshot.documentText);
    snapshot.documentText = QString();
    record.header = toCp1252(snapshot.header);
    record.fileName = snapshot.fileName.toStdString();
    record.caret = snapshot.caret;
    record.writtenAt = writtenAt;
    if (!snapshot.file.path.isEmpty() && snapshot.file.modified.isValid()) {
        record.fileSize = snapshot.file.size;
        record.fileModified = snapshot.file.modified.toMSecsSinceEpoch();
    }
    std::string bytes = composeRecovery(record);
    record = RecoveryRecord();
    return QByteArray::fromStdString(bytes);
}

QString shownTime(long long secondsSinceEpoch) {
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch).toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

QString restoreQuestion(const RecoveryRecord& record) {
    const QString name = record.fileName.empty()
                             ? QStringLiteral("unbenannt")
                             : nameOnOneLine(QFileInfo(QString::fromStdString(record.fileName)).fileName());
    return QStringLiteral("Ungespeicherten Text wiederherstellen?\n%1, gesichert am %2")
        .arg(name, shownTime(record.writtenAt));
}

}  // namespace

RecoveryKeeper::RecoveryKeeper(Platform& platform, Editor& editor, QString folder)
    : platform_(platform), editor_(editor), folder_(std::move(folder)) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(kQuietMs);
    longest_.setSingleShot(true);
    longest_.setInterval(kWhileTypingMs);
    connect(&quiet_, &QTimer::timeout, this, &RecoveryKeeper::writeCopy);
    connect(&longest_, &QTimer::timeout, this, &RecoveryKeeper::writeCopy);
}

RecoveryKeeper::~RecoveryKeeper() = default;

QString RecoveryKeeper::copyPath() const { return slot_ ? slot_->copyPath() : QString(); }

void RecoveryKeeper::noteChange() {
    quiet_.start();
    if (!longest_.isActive()) longest_.start();
}

void RecoveryKeeper::writeCopy() {
    quiet_.stop();
    longest_.stop();
    if (!editor_.hasUnsavedText()) {
        discard();
        return;
    }
    if (!slot_) slot_ = claimPlace();
    if (!slot_) return;  // no folder takes files: there is nowhere to keep a copy
    const QString path = slot_->copyPath();
    QElapsedTimer taking;
    taking.start();
    Snapshot snapshot;
    try {
        snapshot = editor_.snapshot();
    } catch (const std::bad_alloc&) {
        reportOutOfMemory();
        return;
    }
    longest_.setInterval(
        static_cast<int>(std::clamp<qint64>(taking.elapsed() * kSnapshotShare, kWhileTypingMs, kLongestMs)));
    const long long now = QDateTime::currentSecsSinceEpoch();
    Platform* platform = &platform_;
    writer_.post([this, platform, path, snapshot = std::move(snapshot), now]() mutable {
        try {
            const QByteArray bytes = copyBytes(std::move(snapshot), now);
            // Whole or not there at all, and owner-only from the start: a kill
            // between making a file and writing it would leave an empty copy.
            platform->writePrivateFile(path, bytes);
            outOfMemoryReported_ = false;
        } catch (const KxError&) {
            // The previous copy stays whole; the next change tries again. A
            // message box in the middle of typing would help nobody.
        } catch (const std::bad_alloc&) {
            QMetaObject::invokeMethod(this, &RecoveryKeeper::reportOutOfMemory, Qt::QueuedConnection);
        }
    });
}

void RecoveryKeeper::writeNowAndWait() {
    writeCopy();
    writer_.waitIdle();
}

void RecoveryKeeper::discard() {
    quiet_.stop();
    longest_.stop();
    writer_.cancelAndWait();
    if (slot_) QFile::remove(slot_->copyPath());
}

bool RecoveryKeeper::offerOrphans() {
    for (const QString& folder : folders()) {
        for (std::unique_ptr<CopySlot>& orphan : CopySlot::claimOrphans(folder)) {
            try {
                if (offer(std::move(orphan))) return true;
            } catch (const std::bad_alloc&) {
                reportOutOfMemory();  // the copy stays as it is, for a start with more memory
            }
        }
    }
    return false;
}

// Once until a copy has been written again: the next change would only say it anew.
void RecoveryKeeper::reportOutOfMemory() {
    if (outOfMemoryReported_.exchange(true)) return;
    platform_.showErrorReport(QString::fromUtf8(kOutOfMemoryMessage));
}

QStringList RecoveryKeeper::folders() const {
    QStringList folders{folder_};
    const QString own = platform_.userDataFolder();
    if (!own.isEmpty() && QDir(own) != QDir(folder_)) folders.append(own);
    return folders;
}

// Beside the settings file; where that folder takes no files (a start in a
// folder of the system), in the user's own folder, made private when made.
std::unique_ptr<CopySlot> RecoveryKeeper::claimPlace() {
    const QStringList places = folders();
    for (const QString& folder : places) {
        if (folder != folder_ && !QFileInfo(folder).isDir()) {
            if (!QDir().mkpath(folder)) continue;
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        if (std::unique_ptr<CopySlot> slot = CopySlot::claimFree(folder)) return slot;
    }
    return nullptr;
}

// True when the copy was restored; else it is put aside under a dated name.
bool RecoveryKeeper::offer(std::unique_ptr<CopySlot> slot) {
    const QString path = slot->copyPath();
    const std::optional<RecoveryRecord> record = readCopy(path);
    if (!record) return reportDamaged(path);
    if (!editor_.askYesNo(restoreQuestion(*record))) {
        putAside(path);
        return false;
    }
    try {
        editor_.restore(*record);
    } catch (const KxError&) {
        return reportDamaged(path);
    }
    // The copy holds what the window now shows: it becomes this instance's copy.
    if (!slot_) slot_ = std::move(slot);
    return true;
}

bool RecoveryKeeper::reportDamaged(const QString& path) {
    const QString aside = putAside(path);
    platform_.showMessage(QStringLiteral("Die Sicherungskopie %1 ist beschädigt und wird nicht wiederhergestellt. "
                                         "Sie bleibt als %2 erhalten.")
                              .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(aside)));
    return false;
}

std::optional<RecoveryRecord> RecoveryKeeper::readCopy(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile() || info.size() > kMaxCopyBytes) return std::nullopt;
    try {
        const QByteArray bytes = platform_.readWholeFile(path);
        return parseRecovery(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    } catch (const KxError&) {
        return std::nullopt;
    }
}

// "Korvex23Wiederherstellung vom 08.12.2026 01-30-12.txt" after the time of
// the copy's last write; the name it had is the one offered at start.
QString RecoveryKeeper::putAside(const QString& path) {
    const QFileInfo info(path);
    const QString stamp = info.lastModified().toString(QStringLiteral("dd.MM.yyyy HH-mm-ss"));
    QDir folder = info.dir();
    QString aside = folder.filePath(QStringLiteral("Korvex23Wiederherstellung vom %1.txt").arg(stamp));
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n) {
        aside = folder.filePath(QStringLiteral("Korvex23Wiederherstellung vom %1 (%2).txt").arg(stamp).arg(n));
    }
    return folder.rename(path, aside) ? aside : path;
}

}  // namespace korvex::recovery
