#pragma once

#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace korvex::recovery {

// One numbered place for a recovery copy in a folder: the copy "Korvex23Wiederherstellung-N.txt" and beside it a lock
// file that a running instance holds for as long as it lives. A lock whose process has died is taken over, so a copy
// without a living owner is an orphan.
class CopySlot {
public:
    static constexpr int kMaxSlots = 99;

    // The first place nobody holds and that holds no copy, or nothing.
    static std::unique_ptr<CopySlot> claimFree(const QString& folder);
    // The places whose copy has no living owner and is `wanted`, taken for this instance.
    static std::vector<std::unique_ptr<CopySlot>> claimOrphans(
        const QString& folder, const std::function<bool(const QString& copyPath)>& wanted);

    QString copyPath() const { return copyPath_; }

private:
    CopySlot(const QString& folder, int number);
    bool tryClaim();

    QString copyPath_;
    QLockFile lock_;
};

}  // namespace korvex::recovery
