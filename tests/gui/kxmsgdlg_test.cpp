// The question box, driven through its real buttons and keys while it runs
// modally: every action is queued before Execute and runs inside exec().
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <ostream>

#include "dialogs/uKxMsgDlg.h"

using korvex::TKxMsgDlg;

namespace {

struct Answer {
    bool yes, no, cancel;
    bool operator==(const Answer&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Answer& a) {
    return os << "{yes=" << a.yes << " no=" << a.no << " cancel=" << a.cancel << "}";
}

Answer answerOf(const TKxMsgDlg& dlg) { return {dlg.YesChosen, dlg.NoChosen, dlg.CancelChosen}; }

constexpr Answer kYes{true, false, false};
constexpr Answer kNo{false, true, false};
constexpr Answer kCancel{false, false, true};
constexpr Answer kNone{false, false, false};

class KxMsgDlgTest : public ::testing::Test {
protected:
    // Asks one question; `during` runs while the dialog shows and is expected
    // to close it. Returns false if it had to be closed by the watchdog.
    bool ask(TKxMsgDlg& dlg, const std::function<void()>& during, const QString& msg = "Datei speichern?") {
        bool timedOut = false;
        QTimer::singleShot(0, &dlg, during);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, &dlg, [&] {
            timedOut = true;
            dlg.reject();
        });
        watchdog.start(5000);
        dlg.Execute(msg);
        return !timedOut && !dlg.isVisible();
    }

    static void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Sends the key to whatever has the focus inside the dialog, like a user would.
    static void key(TKxMsgDlg& dlg, Qt::Key k) {
        QWidget* target = dlg.focusWidget() ? dlg.focusWidget() : &dlg;
        QTest::keyClick(target, k);
    }

    TKxMsgDlg dlg;
};

// ---------------------------------------------------------------- layout

TEST_F(KxMsgDlgTest, FixedFrameWithoutExtraTitleButtons) {
    EXPECT_EQ(dlg.windowTitle(), "KxMessageDialog");
    EXPECT_EQ(dlg.size(), QSize(363, 134));
    EXPECT_EQ(dlg.minimumSize(), QSize(363, 134));
    EXPECT_EQ(dlg.maximumSize(), QSize(363, 134));
    const Qt::WindowFlags f = dlg.windowFlags();
    EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(f & Qt::WindowContextHelpButtonHint);
}

TEST_F(KxMsgDlgTest, PanelsAndButtonsSitWhereTheyBelong) {
    auto* msg = dlg.findChild<QLabel*>("PanMsg");
    auto* ctrls = dlg.findChild<QFrame*>("PanCtrls");
    ASSERT_TRUE(msg && ctrls);
    EXPECT_EQ(msg->geometry(), QRect(0, 0, 363, 70));
    EXPECT_EQ(ctrls->geometry(), QRect(0, 70, 363, 64));
    for (QFrame* panel : {static_cast<QFrame*>(msg), ctrls}) {
        SCOPED_TRACE(panel->objectName().toStdString());
        EXPECT_EQ(panel->frameShape(), QFrame::Panel);
        EXPECT_EQ(panel->frameShadow(), QFrame::Raised);
        EXPECT_EQ(panel->lineWidth(), 2);
    }
    EXPECT_TRUE(msg->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(msg->alignment() & Qt::AlignVCenter);

    struct Expected {
        const char* name;
        const char* text;
        QRect geometry;
    } buttons[] = {
        {"ButJa", "JA", QRect(16, 16, 97, 33)},
        {"ButNein", "NEIN", QRect(128, 16, 97, 33)},
        {"ButAbbr", "ABBRECHEN", QRect(240, 16, 105, 33)},
    };
    for (const Expected& e : buttons) {
        SCOPED_TRACE(e.name);
        auto* b = dlg.findChild<QPushButton*>(e.name);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->parentWidget(), ctrls);
        EXPECT_EQ(b->text(), e.text);
        EXPECT_EQ(b->geometry(), e.geometry);
        EXPECT_FALSE(b->autoDefault());
        EXPECT_FALSE(b->isDefault());
    }
    EXPECT_EQ(dlg.ButJa->nextInFocusChain(), dlg.ButNein);
    EXPECT_EQ(dlg.ButNein->nextInFocusChain(), dlg.ButAbbr);
}

TEST_F(KxMsgDlgTest, TextIsBoldArialOfThirteenPixels) {
    for (QWidget* w : std::initializer_list<QWidget*>{dlg.PanMsg, dlg.ButJa, dlg.ButNein, dlg.ButAbbr}) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_EQ(w->font().family(), "Arial");
        EXPECT_EQ(w->font().pixelSize(), 13);
        EXPECT_TRUE(w->font().bold());
        const QFontInfo resolved(w->font());
        EXPECT_FALSE(resolved.family().isEmpty());
        EXPECT_EQ(resolved.pixelSize(), 13);
    }
}

TEST_F(KxMsgDlgTest, ShowsTheMessageAsPlainText) {
    QString shown;
    ASSERT_TRUE(ask(
        dlg,
        [&] {
            shown = dlg.PanMsg->text();
            EXPECT_TRUE(dlg.PanMsg->isVisible());
            dlg.close();
        },
        "Änderungen in <neu>.txt speichern?"));
    EXPECT_EQ(shown, "Änderungen in <neu>.txt speichern?");
    EXPECT_EQ(dlg.PanMsg->textFormat(), Qt::PlainText);
}

// ---------------------------------------------------------------- answers

TEST_F(KxMsgDlgTest, EachButtonSetsExactlyItsFlag) {
    const std::pair<QPushButton*, Answer> cases[] = {
        {dlg.ButJa, kYes}, {dlg.ButNein, kNo}, {dlg.ButAbbr, kCancel}, {dlg.ButJa, kYes}};
    for (const auto& [button, expected] : cases) {
        SCOPED_TRACE(button->text().toStdString());
        ASSERT_TRUE(ask(dlg, [&, b = button] { click(b); }));
        EXPECT_EQ(answerOf(dlg), expected);
    }
}

TEST_F(KxMsgDlgTest, ClosingWithoutAButtonSetsNoFlag) {
    // Title bar close button.
    ASSERT_TRUE(ask(dlg, [&] { click(dlg.ButJa); }));
    ASSERT_EQ(answerOf(dlg), kYes);
    ASSERT_TRUE(ask(dlg, [&] { dlg.close(); }));
    EXPECT_EQ(answerOf(dlg), kNone);

    ASSERT_TRUE(ask(dlg, [&] { click(dlg.ButNein); }));
    ASSERT_TRUE(ask(dlg, [&] { dlg.reject(); }));
    EXPECT_EQ(answerOf(dlg), kNone);

    // Escape, sent to the focused button, is the same as the close button.
    ASSERT_TRUE(ask(dlg, [&] { click(dlg.ButAbbr); }));
    ASSERT_TRUE(ask(dlg, [&] { key(dlg, Qt::Key_Escape); }));
    EXPECT_EQ(answerOf(dlg), kNone);
}

TEST_F(KxMsgDlgTest, EveryQuestionStartsWithoutAnAnswer) {
    ASSERT_TRUE(ask(dlg, [&] { click(dlg.ButJa); }));
    ASSERT_EQ(answerOf(dlg), kYes);
    Answer atStart{true, true, true};
    ASSERT_TRUE(ask(dlg, [&] {
        atStart = answerOf(dlg);
        click(dlg.ButAbbr);
    }));
    EXPECT_EQ(atStart, kNone);
    EXPECT_EQ(answerOf(dlg), kCancel);
}

// ---------------------------------------------------------------- focus memory

TEST_F(KxMsgDlgTest, FirstQuestionEnterAnswersYes) {
    ASSERT_TRUE(ask(dlg, [&] {
        EXPECT_EQ(dlg.focusWidget(), dlg.ButJa);
        key(dlg, Qt::Key_Return);
    }));
    EXPECT_EQ(answerOf(dlg), kYes);
}

TEST_F(KxMsgDlgTest, EnterAndSpaceRepeatThePreviousAnswer) {
    ASSERT_TRUE(ask(dlg, [&] { click(dlg.ButNein); }));
    ASSERT_EQ(answerOf(dlg), kNo);

    ASSERT_TRUE(ask(dlg, [&] { key(dlg, Qt::Key_Return); }));
    EXPECT_EQ(answerOf(dlg), kNo);
    ASSERT_TRUE(ask(dlg, [&] { key(dlg, Qt::Key_Space); }));
    EXPECT_EQ(answerOf(dlg), kNo);

    ASSERT_TRUE(ask(dlg, [&] { click(dlg.ButAbbr); }));
    ASSERT_TRUE(ask(dlg, [&] { key(dlg, Qt::Key_Enter); }));  // keypad Enter
    EXPECT_EQ(answerOf(dlg), kCancel);
}

TEST_F(KxMsgDlgTest, TabMovesTheFocusThatEnterThenUses) {
    // Focus moved by keyboard is remembered too, even when the dialog is
    // closed by the title bar.
    ASSERT_TRUE(ask(dlg, [&] {
        key(dlg, Qt::Key_Tab);
        key(dlg, Qt::Key_Tab);
        EXPECT_EQ(dlg.focusWidget(), dlg.ButAbbr);
        dlg.close();
    }));
    EXPECT_EQ(answerOf(dlg), kNone);
    ASSERT_TRUE(ask(dlg, [&] { key(dlg, Qt::Key_Return); }));
    EXPECT_EQ(answerOf(dlg), kCancel);
}

// ---------------------------------------------------------------- options

TEST_F(KxMsgDlgTest, OptionsLastForOneRunOnly) {
    dlg.NoVisible = false;
    bool noShown = true;
    ASSERT_TRUE(ask(dlg, [&] {
        noShown = dlg.ButNein->isVisible();
        click(dlg.ButJa);
    }));
    EXPECT_FALSE(noShown);
    EXPECT_TRUE(dlg.NoVisible);

    dlg.YesEnabled = false;
    dlg.CancelVisible = false;
    struct Buttons {
        bool noShown, yesEnabled, cancelShown;
    } seen{};
    const auto lookAndClose = [&] {
        seen = {dlg.ButNein->isVisible(), dlg.ButJa->isEnabled(), dlg.ButAbbr->isVisible()};
        dlg.close();
    };
    ASSERT_TRUE(ask(dlg, lookAndClose));
    EXPECT_TRUE(seen.noShown);
    EXPECT_FALSE(seen.yesEnabled);
    EXPECT_FALSE(seen.cancelShown);
    EXPECT_TRUE(dlg.YesEnabled);
    EXPECT_TRUE(dlg.CancelVisible);

    ASSERT_TRUE(ask(dlg, lookAndClose));
    EXPECT_TRUE(seen.noShown);
    EXPECT_TRUE(seen.yesEnabled);
    EXPECT_TRUE(seen.cancelShown);
}

TEST_F(KxMsgDlgTest, EnterNeverAnswersWithAnUnavailableButton) {
    // The remembered "JA" is disabled for this run: the focus moves on to
    // the next usable button instead of pressing the disabled one.
    dlg.YesEnabled = false;
    ASSERT_TRUE(ask(dlg, [&] { key(dlg, Qt::Key_Return); }));
    EXPECT_EQ(answerOf(dlg), kNo);

    ASSERT_TRUE(ask(dlg, [&] { click(dlg.ButAbbr); }));
    dlg.CancelVisible = false;
    ASSERT_TRUE(ask(dlg, [&] { key(dlg, Qt::Key_Return); }));
    EXPECT_EQ(answerOf(dlg), kYes);
}

// ---------------------------------------------------------------- position

TEST_F(KxMsgDlgTest, CentresOnTheMainWindowWhereverItIsNow) {
    QWidget mainWindow;
    mainWindow.setGeometry(50, 40, 600, 500);
    mainWindow.show();
    TKxMsgDlg owned(&mainWindow);
    // The dialog is reused, so it must follow the main window between questions.
    for (const QPoint mainAt : {QPoint(50, 40), QPoint(150, 200)}) {
        mainWindow.move(mainAt);
        QRect inner, outer;
        ASSERT_TRUE(ask(owned, [&] {
            inner = owned.frameGeometry();
            outer = mainWindow.frameGeometry();
            owned.close();
        }));
        SCOPED_TRACE(testing::Message() << "main window " << outer.x() << "," << outer.y() << " dialog " << inner.x()
                                        << "," << inner.y());
        EXPECT_LE(std::abs((inner.left() - outer.left()) - (outer.right() - inner.right())), 1);
        EXPECT_LE(std::abs((inner.top() - outer.top()) - (outer.bottom() - inner.bottom())), 1);
    }
}

TEST_F(KxMsgDlgTest, WithoutMainWindowCentresOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QRect inner;
    ASSERT_TRUE(ask(dlg, [&] {
        inner = dlg.frameGeometry();
        dlg.close();
    }));
    EXPECT_LE(std::abs((inner.left() - screen.left()) - (screen.right() - inner.right())), 1) << inner.left();
    EXPECT_LE(std::abs((inner.top() - screen.top()) - (screen.bottom() - inner.bottom())), 1) << inner.top();
}

}  // namespace
