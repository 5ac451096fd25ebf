#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvex::recovery {

// What a recovery copy holds: the unsaved document and where the caret was.
struct RecoveryRecord {
    std::string text;         // Windows-1252 with CR LF, as a document file holds it
    std::string header;       // Windows-1252, one line
    std::string fileName;     // UTF-8; empty for an unnamed document
    long long caret = 0;      // document position of the caret
    long long writtenAt = 0;  // seconds since 1970-01-01 UTC
    // The named file as this program last read or wrote it, so that a save
    // of the text brought back notices another program's changes since:
    // its size and time of change (milliseconds since 1970); -1 when not known.
    long long fileSize = -1;
    long long fileModified = -1;

    bool operator==(const RecoveryRecord&) const = default;
};

// The bytes of a recovery copy: a few labelled lines, each part preceded by
// its length, the text last but for the closing line, so that a copy opened
// as a document still shows the text readably. Copies of the first shape
// (without the file's state) still read.
std::string composeRecovery(const RecoveryRecord& record);

// The record, or nothing when the bytes are not one whole copy (cut short,
// lengths that do not add up, anything behind the closing line, a header
// with a line break, a file name with a NUL).
std::optional<RecoveryRecord> parseRecovery(std::string_view bytes);

}  // namespace korvex::recovery
