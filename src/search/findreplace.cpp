#include "search/findreplace.h"

#include <QLineEdit>

#include "display/textprimitives.h"
#include "intentions/mainwindowintentions.h"
#include "platform/platform.h"
#include "search/finddialog.h"

namespace korvex::search {

FindReplace::FindReplace(MainWindowIntentions& window) : window_(window), search_(window) {}

FindDialog& FindReplace::dialog() {
    if (!dialog_) {
        dialog_ = new FindDialog(&window_.dialogParent());
        connect(dialog_, &FindDialog::findNextClicked, this,
                [this] { run([this] { return search_.findNext(dialog_->request()); }); });
        connect(dialog_, &FindDialog::replaceClicked, this,
                [this] { run([this] { return search_.replaceCurrent(dialog_->request(), dialog_->replacement()); }); });
        connect(dialog_, &FindDialog::replaceAllClicked, this,
                [this] { run([this] { return search_.replaceAll(dialog_->request(), dialog_->replacement()); }); });
    }
    return *dialog_;
}

// A selection within one line is what the user wants to find; otherwise the last search stays.
void FindReplace::show(bool replacing) {
    const QString selected = window_.textWindow().selectedText();
    const bool oneLine = !selected.contains(QChar::ParagraphSeparator) && !selected.contains(QChar::LineSeparator);
    dialog().showFor(replacing, oneLine ? selected : QString());
}

void FindReplace::findNext() {
    if (!dialog_ || dialog_->EdiSuchen->text().isEmpty()) {
        showFind();
        return;
    }
    run([this] { return search_.findNext(dialog_->request()); });
}

void FindReplace::run(const std::function<Outcome()>& command) {
    const bool fromDialog = dialog_->isActiveWindow();
    Outcome outcome;
    window_.guarded([&] { outcome = command(); });
    dialog_->say(outcome.message);
    if (fromDialog) dialog_->activateWindow();  // a progress window may have taken it
    // F3 with the dialog closed: what was not found is said in a message box.
    if (!outcome.found && !dialog_->isVisible()) window_.platform().showMessage(outcome.message);
}

}  // namespace korvex::search
