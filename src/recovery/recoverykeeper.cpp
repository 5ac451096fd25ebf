#include "recovery/recoverykeeper.h"

#include <QCryptographicHash>
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

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

// The copy of a typing pause is no command the user gave: the message says what it was for.
constexpr char kOutOfMemoryForCopy[] = "Nicht genügend Arbeitsspeicher für die Sicherungskopie des Textes";

}  // namespace

RecoveryKeeper::RecoveryKeeper(Platform& platform, Editor& editor, const QString& workingFolder)
    : platform_(platform),
      editor_(editor),
      workingFolder_(workingFolder),
      copiesFolder_(copiesFolderFor(platform.userDataFolder(), workingFolder)) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(kQuietMs);
    longest_.setSingleShot(true);
    longest_.setInterval(kWhileTypingMs);
    connect(&quiet_, &QTimer::timeout, this, &RecoveryKeeper::writeCopy);
    connect(&longest_, &QTimer::timeout, this, &RecoveryKeeper::writeCopy);
}

RecoveryKeeper::~RecoveryKeeper() = default;

// The working folder's name for a person looking, and a hash of its whole
// path that tells two folders of one name apart.
QString RecoveryKeeper::copiesFolderFor(const QString& dataFolder, const QString& workingFolder) {
    if (dataFolder.isEmpty()) return {};
    const QString absolute = QDir::cleanPath(QDir(workingFolder).absolutePath());
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
    QString name = QFileInfo(absolute).fileName().left(32);
    if (!name.isEmpty() && name.back().isHighSurrogate()) name.chop(1);
    return QDir(dataFolder)
        .filePath(QStringLiteral("Wiederherstellung/") + (name.isEmpty() ? hash : name + QLatin1Char('-') + hash));
}

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
    if (!slot_) return;
    const QString path = slot_->copyPath();
    QElapsedTimer taking;
    taking.start();
    Snapshot snapshot;
    try {
        snapshot = editor_.snapshot();
    } catch (const std::bad_alloc&) {
        reportOutOfMemory(kOutOfMemoryForCopy);
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
        } catch (const KxError& error) {
            // The previous copy stays whole; the next change tries again.
            reportCannotKeep(QString::fromUtf8(error.what()));
        } catch (const std::bad_alloc&) {
            QMetaObject::invokeMethod(
                this, [this] { reportOutOfMemory(kOutOfMemoryForCopy); }, Qt::QueuedConnection);
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
    for (std::unique_ptr<CopySlot>& orphan : claimOrphans()) {
        try {
            if (offer(std::move(orphan))) return true;
        } catch (const std::bad_alloc&) {
            reportOutOfMemory(kOutOfMemoryMessage);  // the copy stays as it is, for a start with more memory
        }
    }
    return false;
}

// Once until a copy has been written again: the next change would only say it anew.
void RecoveryKeeper::reportOutOfMemory(const char* message) {
    if (outOfMemoryReported_.exchange(true)) return;
    platform_.showErrorReport(QString::fromUtf8(message));
}

// This working folder's copies; then the user's own copies that earlier
// versions kept beside the settings file or in the data folder itself,
// moved into the copies folder where it takes them (another user's are
// never offered, nor touched).
std::vector<std::unique_ptr<CopySlot>> RecoveryKeeper::claimOrphans() {
    std::vector<std::unique_ptr<CopySlot>> orphans;
    if (!copiesFolder_.isEmpty()) {
        orphans = CopySlot::claimOrphans(copiesFolder_, [](const QString&) { return true; });
    }
    QStringList earlierFolders{workingFolder_};
    const QString data = platform_.userDataFolder();
    if (!data.isEmpty() && QDir(data) != QDir(workingFolder_)) earlierFolders.append(data);
    const auto own = [this](const QString& copy) { return platform_.isOwnFile(copy); };
    for (const QString& folder : earlierFolders) {
        for (std::unique_ptr<CopySlot>& earlier : CopySlot::claimOrphans(folder, own)) {
            orphans.push_back(moveIntoCopiesFolder(std::move(earlier)));
        }
    }
    return orphans;
}

// The copy's new place, or the old one when the copies folder does not take it.
std::unique_ptr<CopySlot> RecoveryKeeper::moveIntoCopiesFolder(std::unique_ptr<CopySlot> earlier) {
    if (copiesFolder_.isEmpty() || !platform_.makePrivateFolder(copiesFolder_)) return earlier;
    std::unique_ptr<CopySlot> moved = CopySlot::claimFree(copiesFolder_);
    if (!moved) return earlier;
    const QString from = earlier->copyPath();
    try {
        platform_.writePrivateFile(moved->copyPath(), platform_.readOwnFile(from));
    } catch (const KxError&) {
        return earlier;
    } catch (const std::bad_alloc&) {
        return earlier;  // offered where it is, which says what memory allows
    }
    // Its time names it when it is put aside.
    QFile(moved->copyPath()).setFileTime(QFileInfo(from).lastModified(), QFileDevice::FileModificationTime);
    QFile::remove(from);
    return moved;
}

// Where no copies folder can be had, no copy is kept.
std::unique_ptr<CopySlot> RecoveryKeeper::claimPlace() {
    if (copiesFolder_.isEmpty()) {
        reportCannotKeep(QStringLiteral("Es gibt keinen Datenordner für Korvex"));
        return nullptr;
    }
    std::unique_ptr<CopySlot> slot;
    if (platform_.makePrivateFolder(copiesFolder_)) slot = CopySlot::claimFree(copiesFolder_);
    if (!slot)
        reportCannotKeep(QStringLiteral("Im Ordner %1 lässt sich keine Kopie anlegen").arg(native(copiesFolder_)));
    return slot;
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
        // The copy is kept for a start with more memory: this instance's copy goes elsewhere.
        editor_.restore(*record, [this, path] {
            if (slot_ && slot_->copyPath() == path) slot_.reset();
        });
    } catch (const KxError&) {
        return reportDamaged(path);
    }
    if (record->text.find('\0') != std::string::npos) {
        // The window ends the text at the NUL: the copy keeps the rest.
        platform_.showMessage(QStringLiteral("Die Sicherungskopie %1 enthält ein NUL-Byte. Der Text nach dem NUL-Byte "
                                             "wurde nicht wiederhergestellt; die Kopie bleibt als %2 erhalten.")
                                  .arg(native(path), native(putAside(path))));
    } else if (QFileInfo(path).dir() == QDir(copiesFolder_)) {
        // The copy holds what the window now shows: it becomes this instance's copy.
        if (!slot_) slot_ = std::move(slot);
    } else {
        putAside(path);  // an earlier version's copy that could not be moved: offered once
    }
    return true;
}

// Said from the event loop (from any thread): never in the middle of a write,
// nor when the session ends.
void RecoveryKeeper::reportCannotKeep(const QString& why) {
    const auto tell = [this, why] {
        if (toldCannotKeep_) return;
        toldCannotKeep_ = true;
        platform_.showMessage(QStringLiteral("Korvex kann keine Sicherungskopie des ungespeicherten Textes anlegen: "
                                             "%1.\nEndet Korvex unerwartet, geht der ungespeicherte Text verloren. "
                                             "Bitte speichern Sie ihn.")
                                  .arg(why));
    };
    QMetaObject::invokeMethod(this, tell, Qt::QueuedConnection);
}

bool RecoveryKeeper::reportDamaged(const QString& path) {
    const QString aside = putAside(path);
    platform_.showMessage(QStringLiteral("Die Sicherungskopie %1 ist beschädigt und wird nicht wiederhergestellt. "
                                         "Sie bleibt als %2 erhalten.")
                              .arg(native(path), native(aside)));
    return false;
}

std::optional<RecoveryRecord> RecoveryKeeper::readCopy(const QString& path) {
    // Only the user's own: a copy another user put there is never offered.
    if (!platform_.isOwnFile(path) || QFileInfo(path).size() > kMaxCopyBytes) return std::nullopt;
    try {
        const QByteArray bytes = platform_.readOwnFile(path);
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
