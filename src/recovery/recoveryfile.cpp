#include "recovery/recoveryfile.h"

#include <charconv>

namespace korvex::recovery {
namespace {

constexpr std::string_view kFirstLine = "KORVEX-WIEDERHERSTELLUNG 2\r\n";
constexpr std::string_view kFirstLineBeforeFileState = "KORVEX-WIEDERHERSTELLUNG 1\r\n";
constexpr std::string_view kFileSize = "DATEIGROESSE";
constexpr std::string_view kFileModified = "DATEIZEIT";
constexpr std::string_view kLastLine = "ENDE\r\n";

void appendNumberLine(std::string& out, std::string_view label, long long value) {
    out += label;
    out += ' ';
    out += std::to_string(value);
    out += "\r\n";
}

void appendPart(std::string& out, std::string_view label, std::string_view part) {
    appendNumberLine(out, label, static_cast<long long>(part.size()));
    out += part;
    out += "\r\n";
}

// Reads the copy from front to back; every step fails on the first byte
// that is not where it belongs.
class Reader {
public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {}

    bool literal(std::string_view expected) {
        if (rest_.substr(0, expected.size()) != expected) return false;
        rest_.remove_prefix(expected.size());
        return true;
    }

    // "LABEL <number>\r\n" with a number of at most 18 digits.
    std::optional<long long> numberLine(std::string_view label) {
        if (!literal(label) || !literal(" ")) return std::nullopt;
        const size_t end = rest_.find("\r\n");
        if (end == std::string_view::npos || end == 0 || end > 18) return std::nullopt;
        long long value = 0;
        const auto [at, error] = std::from_chars(rest_.data(), rest_.data() + end, value);
        if (error != std::errc() || at != rest_.data() + end || value < 0) return std::nullopt;
        rest_.remove_prefix(end + 2);
        return value;
    }

    std::optional<std::string_view> part(std::string_view label) {
        const std::optional<long long> length = numberLine(label);
        if (!length || static_cast<unsigned long long>(*length) > rest_.size()) return std::nullopt;
        const std::string_view content = rest_.substr(0, static_cast<size_t>(*length));
        rest_.remove_prefix(content.size());
        if (!literal("\r\n")) return std::nullopt;
        return content;
    }

    bool atEnd() const { return rest_.empty(); }
    bool comes(std::string_view label) const { return rest_.substr(0, label.size()) == label; }

private:
    std::string_view rest_;
};

bool isOneLine(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// A file's name may hold line breaks (its part has a length), never a NUL.
bool isFileName(std::string_view text) { return text.find('\0') == std::string_view::npos; }

}  // namespace

std::string composeRecovery(const RecoveryRecord& record) {
    std::string out;
    out.reserve(record.text.size() + record.header.size() + record.fileName.size() + 160);
    out += kFirstLine;
    appendNumberLine(out, "ZEIT", record.writtenAt);
    appendPart(out, "DATEI", record.fileName);
    if (record.fileSize >= 0 && record.fileModified >= 0) {
        appendNumberLine(out, kFileSize, record.fileSize);
        appendNumberLine(out, kFileModified, record.fileModified);
    }
    appendPart(out, "KOPFZEILE", record.header);
    appendNumberLine(out, "CURSOR", record.caret);
    appendPart(out, "TEXT", record.text);
    out += kLastLine;
    return out;
}

std::optional<RecoveryRecord> parseRecovery(std::string_view bytes) {
    Reader reader(bytes);
    RecoveryRecord record;
    const bool withFileState = reader.literal(kFirstLine);
    if (!withFileState && !reader.literal(kFirstLineBeforeFileState)) return std::nullopt;
    const auto writtenAt = reader.numberLine("ZEIT");
    const auto fileName = writtenAt ? reader.part("DATEI") : std::nullopt;
    if (fileName && withFileState && reader.comes(kFileSize)) {
        const auto size = reader.numberLine(kFileSize);
        const auto modified = size ? reader.numberLine(kFileModified) : std::nullopt;
        if (!modified) return std::nullopt;
        record.fileSize = *size;
        record.fileModified = *modified;
    }
    const auto header = fileName ? reader.part("KOPFZEILE") : std::nullopt;
    const auto caret = header ? reader.numberLine("CURSOR") : std::nullopt;
    const auto text = caret ? reader.part("TEXT") : std::nullopt;
    if (!text || !reader.literal(kLastLine) || !reader.atEnd()) return std::nullopt;
    if (!isFileName(*fileName) || !isOneLine(*header)) return std::nullopt;
    record.writtenAt = *writtenAt;
    record.fileName = std::string(*fileName);
    record.header = std::string(*header);
    record.caret = *caret;
    record.text = std::string(*text);
    return record;
}

}  // namespace korvex::recovery
