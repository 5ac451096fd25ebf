#include "support/fakeplatform.h"

#include "base/kxerror.h"

namespace korvex::testing {
namespace {

template <class Answer>
Answer takeAnswer(std::deque<Answer>& answers) {
    if (answers.empty()) return Answer{};
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace

std::optional<QString> FakePlatform::askOpenFileName(QWidget*, const QString& initialDir) {
    openDialogFolders << initialDir;
    return takeAnswer(openAnswers);
}

std::optional<QString> FakePlatform::askSaveFileName(QWidget*, const QString& initialDir) {
    saveDialogFolders << initialDir;
    return takeAnswer(saveAnswers);
}

std::optional<FontChoice> FakePlatform::askFont(QWidget*, const FontChoice& initial) {
    lastFontPreset = initial;
    return takeAnswer(fontAnswers);
}

void FakePlatform::showMessage(const QString& text) { messages << text; }

void FakePlatform::showErrorReport(const QString& message) { errorReports << message; }

bool FakePlatform::askPrintSetup(QWidget*) {
    if (noDefaultPrinter) throw KxError("Zur Zeit ist kein Standarddrucker gewählt");
    ++printSetups;
    return takeAnswer(printSetupAnswers);
}

PrintJob& FakePlatform::printJob() { return realPrintJob ? QtPlatform::printJob() : printed; }

int FakePlatform::dialogCount() const {
    return static_cast<int>(openDialogFolders.size() + saveDialogFolders.size()) + (lastFontPreset ? 1 : 0) +
           printSetups;
}

void RecordingPrintJob::BeginJob() {
    if (open) throw KxError("Druckvorgang läuft");
    if (begun_++ == failingBeginJob) throw KxError("Ausgewählter Drucker ist ungültig");
    open = true;
    jobs.emplace_back();
    if (onBeginJob) onBeginJob();
}

void RecordingPrintJob::SetJobFont(const QFont& font, const QColor& colour) {
    jobs.back().font = font;
    jobs.back().colour = colour;
}

void RecordingPrintJob::WriteLine(const QString& text) { jobs.back().lines << text; }

void RecordingPrintJob::EndJob() {
    open = false;
    jobs.back().ended = true;
}

void RecordingPrintJob::AbandonJob() {
    if (!open) return;
    open = false;
    ++abandoned;
}

}  // namespace korvex::testing
