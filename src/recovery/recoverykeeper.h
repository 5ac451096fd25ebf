#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/fileseen.h"
#include "recovery/copywriter.h"
#include "recovery/recoveryfile.h"

namespace korvex {
class Platform;
}

namespace korvex::recovery {

class CopySlot;

// The document at one moment, taken on the GUI thread as cheaply as the
// window allows; it is turned into bytes on the writer's thread.
struct Snapshot {
    QString documentText;  // the window's raw text: blocks separated by U+2029
    QString header;
    QString fileName;
    int caret = 0;
    FileSeen file;  // the named file as last read or written here; no path when not known
};

// What recovery needs of the editor.
class Editor {
public:
    virtual ~Editor() = default;
    // Text or header changed since the last save, load or clear, and not both empty.
    virtual bool hasUnsavedText() const = 0;
    virtual Snapshot snapshot() const = 0;
    // Puts a recovered document into the window, unsaved; throws KxError
    // when the window cannot take the text. A big text's rest comes in
    // later: should memory run out for it, the window is as it was before
    // and `givenUp` runs.
    virtual void restore(const RecoveryRecord& record, std::function<void()> givenUp) = 0;
    // The program's own question dialog; true for JA.
    virtual bool askYesNo(const QString& question) = 0;
};

// Keeps a copy of unsaved text in the user's own data folder, in a private
// folder for the working folder (so each working folder finds its own
// copies, and no file dialog lists them): written when the typing has
// paused for a second, and every few seconds while it goes on; removed when
// the document is saved or the program ends as the user confirmed. At start,
// copies left by an instance that died are offered, the user's own copies
// that earlier versions kept beside the settings file too. When no copy can
// be kept, the user is told once.
class RecoveryKeeper : public QObject {
    Q_OBJECT

public:
    static constexpr int kQuietMs = 1000;
    // While the typing goes on: a copy every few seconds, but so that taking
    // the snapshot holds the window up for at most a 750th of the typing
    // time (for a text of many megabytes), and once a minute at least.
    static constexpr int kWhileTypingMs = 5000;
    static constexpr int kSnapshotShare = 750;
    static constexpr int kLongestMs = 60 * 1000;
    // A text the window can hold (512 MiB) and room for header and name.
    static constexpr qint64 kMaxCopyBytes = qint64{513} * 1024 * 1024;

    RecoveryKeeper(Platform& platform, Editor& editor, const QString& workingFolder);

    // Where the copies of a start in `workingFolder` live below the user's
    // data folder; empty without one.
    static QString copiesFolderFor(const QString& dataFolder, const QString& workingFolder);
    ~RecoveryKeeper() override;

    // The text or the header changed.
    void noteChange();
    // The document was saved or the close confirmed: the copy goes.
    void discard();
    // Asks about each orphaned copy, newest first, until one is restored; true when one was.
    bool offerOrphans();

    // Writes the copy now and returns when it is on disk.
    void writeNowAndWait();
    // This instance's copy; empty until it has claimed a place for one.
    QString copyPath() const;

private:
    void writeCopy();
    void reportOutOfMemory(const char* message);
    std::unique_ptr<CopySlot> claimPlace();
    std::vector<std::unique_ptr<CopySlot>> claimOrphans();
    std::unique_ptr<CopySlot> moveIntoCopiesFolder(std::unique_ptr<CopySlot> earlier);
    bool offer(std::unique_ptr<CopySlot> slot);
    // Puts a copy that cannot be restored aside and says so; always false.
    bool reportDamaged(const QString& path);
    // Tells the user once that no copy can be kept; callable from any thread.
    void reportCannotKeep(const QString& why);
    std::optional<RecoveryRecord> readCopy(const QString& path);
    QString putAside(const QString& path);

    Platform& platform_;
    Editor& editor_;
    QString workingFolder_;  // where the settings file and the copies of earlier versions lie
    QString copiesFolder_;
    bool toldCannotKeep_ = false;
    QTimer quiet_;
    QTimer longest_;
    std::unique_ptr<CopySlot> slot_;
    std::atomic<bool> outOfMemoryReported_ = false;
    CopyWriter writer_;  // after slot_: finishes its job before the place is given up
};

}  // namespace korvex::recovery
