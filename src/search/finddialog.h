#pragma once

#include <QDialog>

#include "search/textsearch.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvex::search {

// "Suchen" and "Ersetzen": one window, kept above the main window but not
// blocking it; "Ersetzen" shows the replacement and its buttons, "Suchen"
// the direction.
class FindDialog : public QDialog {
    Q_OBJECT

public:
    explicit FindDialog(QWidget* mainWindow);

    // Shows the dialog in either form with `preset` as the search text
    // (empty: the last one stays), selected whole, the focus in it.
    void showFor(bool replacing, const QString& preset);
    bool isReplacing() const { return replacing_; }
    SearchRequest request() const;
    QString replacement() const;
    // What the last command has to say, below the fields.
    void say(const QString& message);

    QLabel* LabSuchen;
    QLineEdit* EdiSuchen;
    QLabel* LabErsetzen;
    QLineEdit* EdiErsetzen;
    QCheckBox* ChkGrossKlein;
    QCheckBox* ChkGanzesWort;
    QGroupBox* GrpRichtung;
    QRadioButton* RadOben;
    QRadioButton* RadUnten;
    QPushButton* ButWeitersuchen;
    QPushButton* ButErsetzen;
    QPushButton* ButAlleErsetzen;
    QPushButton* ButAbbrechen;
    QLabel* LabMeldung;

signals:
    void findNextClicked();
    void replaceClicked();
    void replaceAllClicked();

private:
    void buildControls();
    void placeControls();
    void enableButtons();

    bool replacing_ = false;
};

}  // namespace korvex::search
