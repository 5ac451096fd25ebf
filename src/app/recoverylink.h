#pragma once

#include "recovery/recoverykeeper.h"

namespace korvex {

class TForm1;
class TKxMsgDlg;

// The main window as recovery sees it, with the keeper wired to its changes,
// its saves and its confirmed close.
class RecoveryLink : public recovery::Editor {
public:
    RecoveryLink(TForm1& form, TKxMsgDlg& question);

    recovery::RecoveryKeeper& keeper() { return keeper_; }

    bool hasUnsavedText() const override;
    recovery::Snapshot snapshot() const override;
    void restore(const recovery::RecoveryRecord& record, std::function<void()> givenUp) override;
    bool askYesNo(const QString& question) override;

private:
    TForm1& form_;
    TKxMsgDlg& question_;
    recovery::RecoveryKeeper keeper_;
};

}  // namespace korvex
