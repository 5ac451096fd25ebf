#pragma once

#include <QString>

namespace korvex {

// What the commands of the subsystems may ask of the main window, said as
// intentions, so that a command need not know which member carries them.
class MainWindowIntentions {
public:
    enum class Answer {
        Yes,
        No,
        Cancel,
        Closed  // the question was closed without a button (title bar, Escape)
    };

    // The text or the header changed: the next close asks before the text goes.
    virtual void markChanged() = 0;
    // The document is as its file holds it (saved, loaded or emptied).
    virtual void markSaved() = 0;
    virtual bool isSaved() const = 0;
    // Asks a question with JA, NEIN and ABBRECHEN in the program's question dialog.
    virtual Answer ask(const QString& question) = 0;

    MainWindowIntentions(const MainWindowIntentions&) = delete;
    MainWindowIntentions& operator=(const MainWindowIntentions&) = delete;

protected:
    MainWindowIntentions() = default;
    ~MainWindowIntentions() = default;
};

}  // namespace korvex
