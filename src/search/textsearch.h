#pragma once

#include <QObject>
#include <QString>
#include <future>
#include <optional>
#include <vector>

#include "search/textmatch.h"

namespace korvex {
class MainWindowIntentions;
}

namespace korvex::search {

// One search as the dialog asks for it.
struct SearchRequest {
    QString pattern;
    MatchRules rules;
    bool upwards = false;  // "Nach oben"
};

// What a command has to say in the dialog (nothing when a match was simply
// found), and whether it found anything.
struct Outcome {
    QString message;
    bool found = true;
};

// "Weitersuchen", "Ersetzen" and "Alle ersetzen" on the main window's text
// window. A result the window cannot hold throws KxError
// ("Text überschreitet Memo-Kapazität") before anything changes.
class TextSearch : public QObject {
public:
    explicit TextSearch(MainWindowIntentions& window);

    // Selects the next match after the selection (before it, upwards) and
    // brings it into view; at the end of the text it goes on from the other end once.
    Outcome findNext(const SearchRequest& request);
    // Replaces the selection when it is a match, then selects the next one.
    Outcome replaceCurrent(const SearchRequest& request, const QString& replacement);
    // Replaces every match, as one step of undo.
    Outcome replaceAll(const SearchRequest& request, const QString& replacement);

private:
    std::optional<Match> find(const Matcher& matcher, bool upwards, int from);
    void select(Match match, bool upwards);
    QString refusalToChange(const SearchRequest& request, const QString& replacement) const;
    void letGoOf(std::vector<QString> texts);

    MainWindowIntentions& window_;
    std::future<void> textToFree_;  // the last "Alle ersetzen"'s new lines
};

}  // namespace korvex::search
