#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QScopeGuard>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>
#ifdef Q_OS_LINUX
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#endif

#include "base/kxerror.h"
#include "platform/qtplatform.h"

namespace korvex {
namespace {

[[noreturn]] void failToOpen(const QString& path) {
    throw KxError(QStringLiteral("Datei %1 kann nicht geöffnet werden").arg(displayPath(path)).toStdString());
}

[[noreturn]] void failToCreate(const QString& path) {
    throw KxError(QStringLiteral("Datei %1 kann nicht erstellt werden").arg(displayPath(path)).toStdString());
}

// A file Korvex keeps for itself that it does not write, and why.
[[noreturn]] void refuseToWrite(const QString& path, const char* reason) {
    throw KxError(QStringLiteral("Datei %1 wird nicht geschrieben: %2")
                      .arg(displayPath(path), QString::fromUtf8(reason))
                      .toStdString());
}

[[noreturn]] void failOverCapacity() { throw KxError("Text überschreitet Memo-Kapazität"); }

}  // namespace

#ifdef Q_OS_LINUX
namespace {

// A file descriptor, closed when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(-1); }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

// The rest of the file; nothing on a read error or when it holds more than
// maxBytes (then tooLarge).
std::optional<QByteArray> readToEnd(int fd, qint64 sizeHint, qint64 maxBytes, bool& tooLarge) {
    QByteArray bytes(std::min(sizeHint, maxBytes) + 1, Qt::Uninitialized);
    qint64 total = 0;
    tooLarge = false;
    for (;;) {
        if (total == bytes.size()) {
            tooLarge = total > maxBytes;
            if (tooLarge) return std::nullopt;
            bytes.resize(std::min(total * 2, maxBytes + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + total, static_cast<size_t>(bytes.size() - total));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        total += got;
    }
    bytes.truncate(total);
    return bytes;
}

bool writeAllAt(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    off_t offset = 0;
    for (qint64 left = bytes.size(); left > 0;) {
        const ssize_t written = ::pwrite(fd, data + offset, static_cast<size_t>(std::min<qint64>(left, 1 << 30)),
                                         offset);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        offset += written;
        left -= written;
    }
    return true;
}

bool overwrite(int fd, const QByteArray& bytes) {
    return writeAllAt(fd, bytes) && ::ftruncate(fd, bytes.size()) == 0 && ::fsync(fd) == 0;
}

// Where a file really lives: symbolic links followed to their end.
struct Target {
    std::string path;
    std::string folder;
    std::string name;
    bool exists = false;
    bool behindForeignLink = false;  // `path` is a link that was not followed
    struct stat info {};
};

// Which links are followed: a user's document follows every link; a file
// Korvex keeps for itself only those of the user or of the folder's owner.
enum class Links { All, OwnOnly };

constexpr int kMaxLinkHops = 40;

bool mayFollow(const Target& link) {
    struct stat folder {};
    return link.info.st_uid == ::geteuid() ||
           (::stat(link.folder.c_str(), &folder) == 0 && link.info.st_uid == folder.st_uid);
}

std::optional<Target> locate(std::string path, Links links) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        Target target;
        const size_t slash = path.rfind('/');
        target.folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        target.name = path.substr(slash == std::string::npos ? 0 : slash + 1);
        target.path = path;
        if (::lstat(path.c_str(), &target.info) != 0) {
            if (errno != ENOENT) return std::nullopt;
            return target;
        }
        target.exists = true;
        if (!S_ISLNK(target.info.st_mode)) return target;
        if (links == Links::OwnOnly && !mayFollow(target)) {
            target.behindForeignLink = true;
            return target;
        }
        std::string link(PATH_MAX, '\0');
        const ssize_t size = ::readlink(path.c_str(), link.data(), link.size());
        if (size <= 0) return std::nullopt;
        link.resize(static_cast<size_t>(size));
        path = link.front() == '/' ? link : target.folder + '/' + link;
    }
    return std::nullopt;
}

// A read-only file is not replaced, not even by root, who may write anything.
bool mayBeReplaced(const Target& target) {
    return S_ISREG(target.info.st_mode) && (target.info.st_mode & 0222) != 0 &&
           ::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) == 0;
}

// Temporary files are named ".NAME.kx" and six random characters; NAME is cut
// so that any legal target name leaves a legal temporary name. A temporary
// file carries an access time of its own (1970 and this nanosecond count)
// from before it has a name: together with the name, the owner and a lock no
// live writer holds, it tells a temporary file left by a killed save from a
// user's file of a similar name.
constexpr size_t kKeptNameBytes = 240;
constexpr int kRandomCharacters = 6;
constexpr long kTemporaryMark = 271828182;
const char kRandomAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string temporaryPrefix(const std::string& name) {
    size_t keep = std::min(name.size(), kKeptNameBytes);
    while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    return "." + name.substr(0, keep) + ".kx";
}

std::string randomName(const std::string& prefix) {
    std::string name = prefix;
    for (int i = 0; i < kRandomCharacters; ++i) {
        name += kRandomAlphabet[QRandomGenerator::system()->bounded(static_cast<int>(sizeof kRandomAlphabet - 1))];
    }
    return name;
}

bool isTemporaryName(const std::string& name, const std::string& prefix) {
    return name.size() == prefix.size() + kRandomCharacters && name.compare(0, prefix.size(), prefix) == 0 &&
           name.find_first_not_of(kRandomAlphabet, prefix.size()) == std::string::npos;
}

// Opens a new file under a fresh name: never an existing one, never through a link.
bool createExclusively(Fd& fd, int folder, std::string& name, const std::string& prefix, mode_t mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = randomName(prefix);
        fd.reset(::openat(folder, name.c_str(), O_CREAT | O_EXCL | O_NOFOLLOW | O_WRONLY | O_CLOEXEC, mode));
        if (fd) return true;
        if (errno != EEXIST) break;
    }
    name.clear();
    return false;
}

struct Temporary {
    Fd fd;
    std::string name;  // empty while it has none
};

// An unnamed file in the folder, locked at once. Without unnamed files (some
// file systems) or a way to name one later (/proc) it gets a fresh name now.
bool createTemporary(Temporary& temporary, int folder, const std::string& prefix, mode_t mode) {
    static const bool canNameLater = ::access("/proc/self/fd", X_OK) == 0;
    if (canNameLater) temporary.fd.reset(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (!canNameLater || (!temporary.fd && (errno == EOPNOTSUPP || errno == EISDIR))) {
        createExclusively(temporary.fd, folder, temporary.name, prefix, mode);
    }
    return temporary.fd && ::flock(temporary.fd.get(), LOCK_EX) == 0;
}

bool markAsTemporary(int fd) {
    const timespec times[2] = {{0, kTemporaryMark}, {0, UTIME_OMIT}};
    return ::futimens(fd, times) == 0;
}

bool giveFreshName(Temporary& temporary, int folder, const std::string& prefix) {
    if (!temporary.name.empty()) return true;
    const std::string self = "/proc/self/fd/" + std::to_string(temporary.fd.get());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = randomName(prefix);
        if (::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporary.name = std::move(name);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool takeOverOwnerAndMode(int fd, const struct stat& target) {
    struct stat own {};
    if (::fstat(fd, &own) != 0) return false;
    if ((own.st_uid != target.st_uid || own.st_gid != target.st_gid) &&
        ::fchown(fd, target.st_uid, target.st_gid) != 0) {
        return false;
    }
    return ::fchmod(fd, target.st_mode & 07777) == 0;
}

bool isRefusal(int error) { return error == EACCES || error == EPERM || error == EROFS; }

enum class Outcome { Replaced, NotPossibleHere, Failed };

// The new version goes whole into a temporary file with the target's owner
// and mode (owner-only until then) that then takes the target's name.
Outcome replaceThroughTemporary(int folder, const Target& target, const QByteArray& bytes, mode_t newFileMode) {
    const std::string prefix = temporaryPrefix(target.name);
    Temporary temporary;
    const auto discard = qScopeGuard([&] {
        if (!temporary.name.empty()) ::unlinkat(folder, temporary.name.c_str(), 0);
    });
    if (!createTemporary(temporary, folder, prefix, target.exists ? 0600 : newFileMode)) {
        return isRefusal(errno) ? Outcome::NotPossibleHere : Outcome::Failed;
    }
    const int fd = temporary.fd.get();
    if (!markAsTemporary(fd)) return Outcome::Failed;
    if (target.exists && !takeOverOwnerAndMode(fd, target.info)) return Outcome::NotPossibleHere;
    if (!writeAllAt(fd, bytes) || ::fsync(fd) != 0 || !giveFreshName(temporary, folder, prefix)) {
        return Outcome::Failed;
    }
    if (::renameat(folder, temporary.name.c_str(), folder, target.name.c_str()) != 0) {
        return isRefusal(errno) ? Outcome::NotPossibleHere : Outcome::Failed;
    }
    temporary.name.clear();
    const timespec now[2] = {{0, UTIME_NOW}, {0, UTIME_OMIT}};
    ::futimens(fd, now);
    ::fsync(folder);
    return Outcome::Replaced;
}

// Removes temporary files of this target that killed saves left behind, and
// only those that are certainly Korvex's own.
void removeLeftOverTemporaries(int folder, const std::string& prefix) {
    DIR* const listing = ::fdopendir(::dup(folder));
    if (!listing) return;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        if (isTemporaryName(entry->d_name, prefix)) names.emplace_back(entry->d_name);
    }
    ::closedir(listing);
    for (const std::string& name : names) {
        const Fd fd(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat info {};
        if (!fd || ::fstat(fd.get(), &info) != 0) continue;
        const bool ours = S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && info.st_nlink == 1 &&
                          info.st_atim.tv_sec == 0 && info.st_atim.tv_nsec == kTemporaryMark;
        if (ours && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) ::unlinkat(folder, name.c_str(), 0);
    }
}

// A whole copy of the new version before the file is overwritten in place:
// beside it, or in the temporary folder when its folder may not be written.
// A save killed while overwriting leaves it for the user; Korvex never
// removes it then.
std::optional<std::string> writeSafetyCopy(int folder, const Target& target, const QByteArray& bytes) {
    const std::string prefix = temporaryPrefix(target.name) + "kopie";
    Fd fd;
    std::string name;
    std::string path;
    if (createExclusively(fd, folder, name, prefix, 0600)) {
        path = target.folder + '/' + name;
    } else {
        const std::string elsewhere = QFile::encodeName(QDir::tempPath()).toStdString();
        const Fd other(::open(elsewhere.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!other || !createExclusively(fd, other.get(), name, prefix, 0600)) return std::nullopt;
        path = elsewhere + '/' + name;
    }
    if (writeAllAt(fd.get(), bytes) && ::fsync(fd.get()) == 0) return path;
    ::unlink(path.c_str());
    return std::nullopt;
}

// Another Korvex saving the file in place holds it for a moment; any other
// program holding it longer must not stop this one for ever.
bool lockWithin(int fd, std::chrono::milliseconds patience) {
    const auto end = std::chrono::steady_clock::now() + patience;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Overwrites the file itself, after a safety copy and with the space
// reserved, so that only a kill or a failing disk can leave it half written;
// on a failed write the old contents go back, and where even that fails the
// copy stays.
bool writeInPlace(int folder, const Target& target, const QByteArray& bytes) {
    const Fd fd(::open(target.path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    struct stat opened {};
    // Another file put in its place since it was looked at is not written.
    if (!fd || ::fstat(fd.get(), &opened) != 0 || opened.st_dev != target.info.st_dev ||
        opened.st_ino != target.info.st_ino) {
        return false;
    }
    if (!lockWithin(fd.get(), std::chrono::seconds(2))) return false;
    bool grown = false;
    const std::optional<QByteArray> old = readToEnd(fd.get(), target.info.st_size, target.info.st_size + (1 << 20),
                                                    grown);
    if (!old) return false;
    const std::optional<std::string> copy = writeSafetyCopy(folder, target, bytes);
    if (!copy) return false;
    auto removeCopy = qScopeGuard([&] { ::unlink(copy->c_str()); });
    if (::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, bytes.size()) != 0 && errno != EOPNOTSUPP) return false;
    if (overwrite(fd.get(), bytes)) return true;
    if (!overwrite(fd.get(), *old)) removeCopy.dismiss();  // the file may be damaged: the copy stays
    return false;
}

void replaceFile(const QString& path, const QByteArray& bytes, bool privateIfNew, Links links) {
    const std::optional<Target> target = locate(QFile::encodeName(path).toStdString(), links);
    if (target && target->behindForeignLink) {
        refuseToWrite(path, "Sie führt über eine symbolische Verknüpfung, die einem anderen Benutzer gehört");
    }
    if (target && target->exists && links == Links::OwnOnly && target->info.st_uid != ::geteuid()) {
        refuseToWrite(path, "Sie gehört einem anderen Benutzer");
    }
    if (!target || target->name.empty() || (target->exists && !mayBeReplaced(*target))) failToCreate(path);
    const Fd folder(::open(target->folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) failToCreate(path);
    // A rename would split hard links. No link at all: another save renamed
    // its version over the name while it was looked at, and a rename is right.
    if (!target->exists || target->info.st_nlink <= 1) {
        const Outcome outcome = replaceThroughTemporary(folder.get(), *target, bytes, privateIfNew ? 0600 : 0666);
        if (outcome == Outcome::Replaced) {
            removeLeftOverTemporaries(folder.get(), temporaryPrefix(target->name));
            return;
        }
        if (outcome == Outcome::Failed || !target->exists) failToCreate(path);
    }
    if (!writeInPlace(folder.get(), *target, bytes)) failToCreate(path);
}

// A regular file opened for reading: its size checked before a byte is read.
QByteArray readOpened(const Fd& fd, const QString& path, qint64 maxBytes, bool ownOnly) {
    struct stat info {};
    if (!fd || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) failToOpen(path);
    if (ownOnly && info.st_uid != ::geteuid()) failToOpen(path);
    if (info.st_size > maxBytes) failOverCapacity();
    bool tooLarge = false;
    std::optional<QByteArray> bytes = readToEnd(fd.get(), info.st_size, maxBytes, tooLarge);
    if (tooLarge) failOverCapacity();
    if (!bytes) failToOpen(path);
    return *std::move(bytes);
}

}  // namespace

QByteArray readRegularFile(const QString& path, qint64 maxBytes) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    // Checked before opening too: opening a device can have effects of its own.
    if (::stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode)) failToOpen(path);
    return readOpened(Fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)), path, maxBytes, false);
}

QByteArray readOwnFile(const QString& path, qint64 maxBytes) {
    if (!isOwnRegularFile(path)) failToOpen(path);
    const QByteArray name = QFile::encodeName(path);
    return readOpened(Fd(::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)), path, maxBytes,
                      true);
}

bool isOwnRegularFile(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           info.st_uid == ::geteuid();
}

bool makePrivateFolder(const QString& path) {
    if (!QDir().mkpath(path)) return false;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) return false;
    return (info.st_mode & 077) == 0 || ::chmod(name.constData(), 0700) == 0;
}

void replaceFileContents(const QString& path, const QByteArray& bytes, bool privateIfNew) {
    replaceFile(path, bytes, privateIfNew, Links::All);
}

void replaceOwnFile(const QString& path, const QByteArray& bytes, bool privateIfNew) {
    replaceFile(path, bytes, privateIfNew, Links::OwnOnly);
}

#else

QByteArray readRegularFile(const QString& path, qint64 maxBytes) {
    const QFileInfo info(path);
    if (!info.isFile()) failToOpen(path);
    if (info.size() > maxBytes) failOverCapacity();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) failToOpen(path);
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) failToOpen(path);
    if (bytes.size() > maxBytes) failOverCapacity();
    return bytes;
}

QByteArray readOwnFile(const QString& path, qint64 maxBytes) {
    if (!isOwnRegularFile(path)) failToOpen(path);
    return readRegularFile(path, maxBytes);
}

// Elsewhere only a link counts: ownership is not what it is on Linux.
bool isOwnRegularFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && !info.isSymLink();
}

bool makePrivateFolder(const QString& path) { return QDir().mkpath(path); }

void replaceOwnFile(const QString& path, const QByteArray& bytes, bool privateIfNew) {
    if (QFileInfo(path).isSymLink()) refuseToWrite(path, "Sie ist eine Verknüpfung");
    replaceFileContents(path, bytes, privateIfNew);
}

void replaceFileContents(const QString& path, const QByteArray& bytes, bool privateIfNew) {
    const QFileInfo info(path);
    if (info.isDir() || (info.exists() && !info.isWritable())) failToCreate(path);
    const bool isNew = !info.exists();
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) failToCreate(path);
    if (isNew && privateIfNew) QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

#endif

}  // namespace korvex
