#pragma once

#include <QObject>

namespace korvex {

class TForm1;

// Files dropped from a file manager onto the main window open as a document,
// as "Öffnen" would; every other drop (text) goes its usual way.
class FileDropFilter : public QObject {
public:
    explicit FileDropFilter(TForm1& form);

    // The main window and its text fields hand file drops to this filter.
    static void install(TForm1& form);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TForm1& form_;
};

}  // namespace korvex
