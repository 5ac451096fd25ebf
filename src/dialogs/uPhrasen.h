#pragma once

#include <QWidget>

namespace korvex {

class TForm1;

// The phrase editor: stock phrases, kept in the phrase file, inserted at the caret.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(TForm1& mainWindow);

private:
    TForm1& main_;
};

}  // namespace korvex
