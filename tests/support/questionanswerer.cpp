#include "support/questionanswerer.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "dialogs/uKxMsgDlg.h"
#include "support/waiting.h"

namespace korvex::testing {

void QuestionAnswerer::answerNext(Reply reply) {
    replies_.push_back(reply);
    if (replies_.size() == 1) {
        patience_.setRemainingTime(kPatienceMs);
        waitForQuestion();
    }
}

int QuestionAnswerer::dropUnanswered() {
    const int dropped = unanswered();
    replies_.clear();
    return dropped;
}

void QuestionAnswerer::waitForQuestion() {
    QTimer::singleShot(5, this, [this] {
        if (replies_.empty()) return;  // dropped
        TKxMsgDlg* dialog = dialog_();
        if (!dialog || !dialog->isVisible() || dialog == answered_) {
            if (!dialog || !dialog->isVisible()) answered_ = nullptr;
            if (!patience_.hasExpired()) waitForQuestion();
            return;
        }
        answered_ = dialog;
        const Reply reply = replies_.front();
        replies_.pop_front();
        questions_ << dialog->PanMsg->text();
        switch (reply) {
            case Reply::Ja: QTest::mouseClick(dialog->ButJa, Qt::LeftButton); break;
            case Reply::Nein: QTest::mouseClick(dialog->ButNein, Qt::LeftButton); break;
            case Reply::Abbrechen: QTest::mouseClick(dialog->ButAbbr, Qt::LeftButton); break;
            case Reply::TitleBar: dialog->close(); break;
        }
        answered_ = dialog->isVisible() ? dialog : nullptr;
        patience_.setRemainingTime(kPatienceMs);  // the next reply's question may be as slow in coming
        if (!replies_.empty()) waitForQuestion();
    });
}

}  // namespace korvex::testing
