// The recovery copy's file shape: what is written reads back the same, and
// nothing but one whole copy reads at all.
#include <gtest/gtest.h>

#include "recovery/recoveryfile.h"

namespace korvex::recovery {
// Found by GoogleTest beside the type, so a failing comparison reads well.
void PrintTo(const RecoveryRecord& r, std::ostream* os) {
    *os << "{Datei \"" << r.fileName << "\", Kopfzeile \"" << r.header << "\", Cursor " << r.caret << ", Zeit "
        << r.writtenAt << ", Datei " << r.fileSize << " Bytes von " << r.fileModified << ", " << r.text.size()
        << " Bytes Text}";
}
}  // namespace korvex::recovery

using namespace korvex::recovery;

namespace {

const RecoveryRecord kRecords[] = {
    {"", "", "", 0, 0},
    {"Zeile 1\r\nZeile 2\r\n",
     "Betrifft: Gr\xF6\xDF"
     "e",
     "/home/anna/Br\xC3\xBC"
     "fe/brief.txt",
     9, 1765157412, 8, 1765157399123},
    // Text that looks like the file's own lines, and every byte but NUL.
    {"TEXT 3\r\nENDE\r\n\x80\xFF\x01", "ENDE", "C:\\Dokumente\\a.txt", 123456789012LL, 1},
};

TEST(RecoveryFile, WhatIsWrittenReadsBackTheSame) {
    for (const RecoveryRecord& record : kRecords) {
        const std::string bytes = composeRecovery(record);
        EXPECT_EQ(parseRecovery(bytes), record);
        // A copy an earlier version left, without the file's state, reads as well.
        if (record.fileSize < 0) {
            const std::string first = "KORVEX-WIEDERHERSTELLUNG 1" + bytes.substr(bytes.find("\r\n"));
            EXPECT_EQ(parseRecovery(first), record);
        }
    }
}

TEST(RecoveryFile, EveryCutShortCopyIsRefused) {
    for (const RecoveryRecord& record : kRecords) {
        const std::string whole = composeRecovery(record);
        for (size_t length = 0; length < whole.size(); ++length) {
            EXPECT_EQ(parseRecovery(std::string_view(whole).substr(0, length)), std::nullopt) << "Länge " << length;
        }
    }
}

TEST(RecoveryFile, DamagedAndHostileCopiesAreRefused) {
    const std::string good = composeRecovery(kRecords[1]);
    const auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string bytes = good;
        bytes.replace(bytes.find(from), from.size(), to);
        return bytes;
    };
    const std::string cases[] = {
        good + "x",                   // anything behind the closing line
        std::string(1, '\0') + good,  // binary in front
        replaced("KORVEX-WIEDERHERSTELLUNG 2", "KORVEX-WIEDERHERSTELLUNG 3"),
        replaced("KORVEX-WIEDERHERSTELLUNG 2", "KORVEX-WIEDERHERSTELLUNG 1"),  // the first shape had no file state
        replaced("DATEIZEIT", "DATEIZEIX"),
        replaced("DATEIGROESSE 8", "DATEIGROESSE -8"),
        replaced("TEXT 18", "TEXT 19"),                   // a length that runs into the closing line
        replaced("TEXT 18", "TEXT 17"),                   // one that stops short of it
        replaced("TEXT 18", "TEXT 999999999999999999"),   // far beyond the file
        replaced("TEXT 18", "TEXT 9999999999999999999"),  // beyond any number
        replaced("TEXT 18", "TEXT -1"),
        replaced("TEXT 18", "TEXT +18"),
        replaced("TEXT 18", "TEXT 18 "),
        replaced("CURSOR 9", "CURSOR x"),
        replaced("ZEIT 1765157412", "ZEIT"),
        replaced("Betrifft: Gr", "Betrifft:\nGr"),  // a header of two lines
        replaced("fe/brief.txt", std::string("fe/bri\0f.txt", 12)),
    };
    for (const std::string& bytes : cases) EXPECT_EQ(parseRecovery(bytes), std::nullopt) << bytes;
}

}  // namespace
