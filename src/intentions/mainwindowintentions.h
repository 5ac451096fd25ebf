#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace korvex {

class Platform;
class TextPrimitives;

// What the commands of every subsystem may ask of the main window, said as
// intentions, so that a command need not know which member carries them.
// What one subsystem alone needs is in that subsystem's MainWindow, which
// extends this one (document/mainwindow.h, editing/mainwindow.h, ...).
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

    // The focus goes back to the text window, where most commands leave it.
    virtual void focusTextWindow() = 0;
    // The status labels (lines, caret line and column) show the text window as it is now.
    virtual void updateStatus() = 0;
    // Runs a handler; an error it raises ends it and goes to the default error report.
    virtual void guarded(const std::function<void()>& handler) = 0;

    // The seam to dialogs, files, clipboard, clock and printer.
    virtual Platform& platform() = 0;
    // The parent of the dialogs a command opens: the main window.
    virtual QWidget& dialogParent() = 0;
    // The text window ("MemArbeitsfenster"), by the primitives commands use on it.
    virtual TextPrimitives& textWindow() = 0;
    virtual const TextPrimitives& textWindow() const = 0;

    MainWindowIntentions(const MainWindowIntentions&) = delete;
    MainWindowIntentions& operator=(const MainWindowIntentions&) = delete;

protected:
    MainWindowIntentions() = default;
    ~MainWindowIntentions() = default;
};

}  // namespace korvex
