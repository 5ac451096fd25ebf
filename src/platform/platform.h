#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class QPrinter;
class QWidget;

namespace korvex {

// The capacity of a text window in bytes as stored: no larger file can
// become its text, so none is read.
inline constexpr size_t kLargestReadableFile = size_t{512} * 1024 * 1024;

// A print job on the current printer, written line by line like a text file
// sent to a line printer. Only one job is open at a time; every step throws
// KxError when it fails.
class PrintJob {
public:
    virtual ~PrintJob() = default;

    // Starts a document; throws "Druckvorgang läuft" while a job is open and
    // "Ausgewählter Drucker ist ungültig" when the printer cannot be opened.
    virtual void BeginJob() = 0;
    // The font and colour of the lines written from now on.
    virtual void SetJobFont(const QFont& font, const QColor& colour) = 0;
    // Writes the text and ends the line.
    virtual void WriteLine(const QString& text) = 0;
    // Ends the last sheet and hands the job to the printer.
    virtual void EndJob() = 0;
    // Drops an open job after a failure, so it neither prints nor blocks the next one.
    virtual void AbandonJob() = 0;
    // The last page of a run is done (or the run failed): a file that
    // received the run's pages as one document is closed.
    virtual void EndRun() = 0;
};

// The pages the print dialog chose, numbered from 1: ranges (none means
// every page), and of those every page, only odd or only even numbers.
struct PageChoice {
    enum class Parity { All, Odd, Even };
    struct Range {
        int from = 1;
        int to = 1;
        friend bool operator==(const Range&, const Range&) = default;
    };
    std::vector<Range> ranges;
    Parity parity = Parity::All;

    bool includes(int pageNumber) const {
        if (parity == Parity::Odd && pageNumber % 2 == 0) return false;
        if (parity == Parity::Even && pageNumber % 2 == 1) return false;
        return ranges.empty() || std::any_of(ranges.begin(), ranges.end(), [pageNumber](const Range& r) {
                   return r.from <= pageNumber && pageNumber <= r.to;
               });
    }
    friend bool operator==(const PageChoice&, const PageChoice&) = default;
};

// A font as the font dialog offers it: face, size, style, effects and colour.
struct FontChoice {
    QFont font;
    QColor colour;
};

// Everything modal or outside the process: dialogs, message boxes, clock,
// files, clipboard and printer. The program reaches these services only
// through this interface, so tests can replace them with a scripted fake.
class Platform {
public:
    virtual ~Platform() = default;

    // The open dialog; the chosen full path, or nothing when cancelled.
    virtual std::optional<QString> askOpenFileName(QWidget* parent, const QString& initialDir) = 0;
    // The save dialog; the confirmed name (possibly empty), or nothing when cancelled.
    virtual std::optional<QString> askSaveFileName(QWidget* parent, const QString& initialDir) = 0;
    virtual std::optional<FontChoice> askFont(QWidget* parent, const FontChoice& initial) = 0;

    // A plain message box: the text, one OK button, no icon, centred on the screen.
    virtual void showMessage(const QString& text) = 0;
    // The application's default error report for an error's message.
    virtual void showErrorReport(const QString& message) = 0;

    // The 32-bit millisecond tick counter.
    virtual uint32_t tickMs() = 0;
    // Today's date in the system's short date format, without time.
    virtual QString todayShortDate() = 0;

    virtual QString currentDirectory() = 0;
    // The user's own folder for what Korvex keeps for itself (recovery
    // copies), not made yet; empty for none.
    virtual QString userDataFolder() = 0;
    // Makes the folder (and those above it) when missing; true when it is a
    // folder of the user's own that nobody else may enter (made so).
    virtual bool makePrivateFolder(const QString& path) = 0;
    // True for a regular file of the user's own; a link does not count.
    virtual bool isOwnFile(const QString& path) = 0;
    // True for a file; a folder of that name does not count.
    virtual bool fileExists(const QString& path) = 0;
    // A regular file only, refused before reading when larger than a text
    // window takes. Throws KxError "Datei <path> kann nicht geöffnet werden"
    // or "Text überschreitet Memo-Kapazität".
    virtual QByteArray readWholeFile(const QString& path) = 0;
    // Creates the file or replaces its contents where it really lives,
    // keeping links, owner and mode; a failed write leaves the old file whole
    // (platform/files.h says how). Throws KxError "Datei <path> kann nicht
    // erstellt werden".
    virtual void writeWholeFile(const QString& path, const QByteArray& bytes) = 0;
    // A file Korvex keeps for itself (the settings file): written the same
    // way, but never through another user's link nor into another user's
    // file (platform/files.h says which); throws KxError "Datei <path> wird
    // nicht geschrieben: ..." then.
    virtual void writeOwnFile(const QString& path, const QByteArray& bytes) = 0;
    // The same for one that holds the user's text (phrases, recovery
    // copies): a file it creates only its owner may read and write.
    virtual void writePrivateFile(const QString& path, const QByteArray& bytes) = 0;
    // A regular file of the user's own, never through a link; throws as readWholeFile.
    virtual QByteArray readOwnFile(const QString& path) = 0;

    virtual QString clipboardText() = 0;
    virtual void setClipboardText(const QString& text) = 0;

    // The print dialog for the current printer, which keeps what was chosen
    // for every later job; false when cancelled. Throws KxError "Zur Zeit ist
    // kein Standarddrucker gewählt" when the system has no default printer.
    virtual bool askPrintSetup(QWidget* parent) = 0;
    // The pages the last confirmed print dialog chose.
    virtual PageChoice chosenPages() = 0;
    // The job on the current printer.
    virtual PrintJob& printJob() = 0;
    // The current printer: its sheets, printable area and resolution, for a
    // preview that lays pages out exactly as its jobs would.
    virtual const QPrinter& currentPrinter() = 0;
};

}  // namespace korvex
