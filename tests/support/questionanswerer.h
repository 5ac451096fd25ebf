#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QStringList>
#include <deque>
#include <functional>

namespace korvex {
class TKxMsgDlg;
}

namespace korvex::testing {

enum class Reply { Ja, Nein, Abbrechen, TitleBar };

// Answers the questions of the confirmation dialog as a user would: replies
// queued together are given one per question, in order, with the mouse.
class QuestionAnswerer : public QObject {
public:
    explicit QuestionAnswerer(std::function<TKxMsgDlg*()> dialog) : dialog_(std::move(dialog)) {}

    void answerNext(Reply reply);
    // The texts of the questions answered so far.
    const QStringList& questions() const { return questions_; }
    // Replies still waiting for their question.
    int unanswered() const { return static_cast<int>(replies_.size()); }
    // Drops the replies still waiting (one kept for a question that must not come); how many they were.
    int dropUnanswered();

private:
    void waitForQuestion();

    std::function<TKxMsgDlg*()> dialog_;
    std::deque<Reply> replies_;
    TKxMsgDlg* answered_ = nullptr;
    QDeadlineTimer patience_;  // for the question the first reply waits for
    QStringList questions_;
};

}  // namespace korvex::testing
