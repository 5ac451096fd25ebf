#pragma once

#include <QObject>
#include <functional>

#include "search/textsearch.h"

namespace korvex::search {

class FindDialog;

// The menu "&Suchen" of the main window: the dialog, made at its first use,
// and the commands its buttons and the keys start.
class FindReplace : public QObject {
public:
    explicit FindReplace(MainWindowIntentions& window);

    // "&Suchen ..." (Strg+F) and "&Ersetzen ..." (Strg+H).
    void showFind() { show(false); }
    void showReplace() { show(true); }
    // "&Weitersuchen" (F3): the last search once more; the dialog when there was none.
    void findNext();

private:
    FindDialog& dialog();
    void show(bool replacing);
    // Runs a command of the dialog and shows what it has to say there.
    void run(const std::function<Outcome()>& command);

    MainWindowIntentions& window_;
    TextSearch search_;
    FindDialog* dialog_ = nullptr;
};

}  // namespace korvex::search
