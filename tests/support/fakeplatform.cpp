#include "support/fakeplatform.h"

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

int FakePlatform::dialogCount() const {
    return static_cast<int>(openDialogFolders.size() + saveDialogFolders.size()) + (lastFontPreset ? 1 : 0);
}

}  // namespace korvex::testing
