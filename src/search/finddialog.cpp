#include "search/finddialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvex::search {
namespace {

template <class Control>
Control* named(Control* control, const char* objectName, const QString& accessibleName) {
    control->setObjectName(QString::fromLatin1(objectName));
    control->setAccessibleName(accessibleName);
    return control;
}

QPushButton* makeButton(const char* objectName, const QString& caption, const QString& accessibleName,
                        QWidget* parent) {
    auto* button = named(new QPushButton(caption, parent), objectName, accessibleName);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

// A dialog of the main window, so the window manager keeps it above that one.
FindDialog::FindDialog(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FindDialog"));
    setModal(false);
    setWindowTitle(QStringLiteral("Suchen"));
    buildControls();
    placeControls();
    connect(EdiSuchen, &QLineEdit::textChanged, this, &FindDialog::enableButtons);
    connect(ButWeitersuchen, &QPushButton::clicked, this, &FindDialog::findNextClicked);
    connect(ButErsetzen, &QPushButton::clicked, this, &FindDialog::replaceClicked);
    connect(ButAlleErsetzen, &QPushButton::clicked, this, &FindDialog::replaceAllClicked);
    connect(ButAbbrechen, &QPushButton::clicked, this, &QDialog::reject);
    enableButtons();
}

// Every access key once in the dialog: n d K g R o u W E A b.
void FindDialog::buildControls() {
    LabSuchen = named(new QLabel(QStringLiteral("Suchen &nach:"), this), "LabSuchen", QStringLiteral("Suchen nach"));
    EdiSuchen = named(new QLineEdit(this), "EdiSuchen", QStringLiteral("Suchen nach"));
    LabSuchen->setBuddy(EdiSuchen);
    LabErsetzen = named(new QLabel(QStringLiteral("Ersetzen &durch:"), this), "LabErsetzen",
                        QStringLiteral("Ersetzen durch"));
    EdiErsetzen = named(new QLineEdit(this), "EdiErsetzen", QStringLiteral("Ersetzen durch"));
    LabErsetzen->setBuddy(EdiErsetzen);
    ChkGrossKlein = named(new QCheckBox(QStringLiteral("Groß-/&Kleinschreibung beachten"), this), "ChkGrossKlein",
                          QStringLiteral("Groß- und Kleinschreibung beachten"));
    ChkGanzesWort = named(new QCheckBox(QStringLiteral("Nur &ganzes Wort"), this), "ChkGanzesWort",
                          QStringLiteral("Nur ganzes Wort"));
    GrpRichtung = named(new QGroupBox(QStringLiteral("&Richtung"), this), "GrpRichtung", QStringLiteral("Richtung"));
    RadOben = named(new QRadioButton(QStringLiteral("Nach &oben"), GrpRichtung), "RadOben",
                    QStringLiteral("Nach oben"));
    RadUnten = named(new QRadioButton(QStringLiteral("Nach &unten"), GrpRichtung), "RadUnten",
                     QStringLiteral("Nach unten"));
    RadUnten->setChecked(true);
    ButWeitersuchen = makeButton("ButWeitersuchen", QStringLiteral("&Weitersuchen"), QStringLiteral("Weitersuchen"),
                                 this);
    ButWeitersuchen->setDefault(true);  // Return
    ButErsetzen = makeButton("ButErsetzen", QStringLiteral("&Ersetzen"), QStringLiteral("Ersetzen"), this);
    ButAlleErsetzen = makeButton("ButAlleErsetzen", QStringLiteral("&Alle ersetzen"), QStringLiteral("Alle ersetzen"),
                                 this);
    ButAbbrechen = makeButton("ButAbbrechen", QStringLiteral("Ab&brechen"), QStringLiteral("Abbrechen"), this);
    LabMeldung = named(new QLabel(this), "LabMeldung", QStringLiteral("Meldung"));
    LabMeldung->setWordWrap(true);
    LabMeldung->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    LabMeldung->setFocusPolicy(Qt::NoFocus);
}

void FindDialog::placeControls() {
    auto* direction = new QHBoxLayout(GrpRichtung);
    direction->addWidget(RadOben);
    direction->addWidget(RadUnten);

    auto* fields = new QGridLayout;
    fields->addWidget(LabSuchen, 0, 0);
    fields->addWidget(EdiSuchen, 0, 1);
    fields->addWidget(LabErsetzen, 1, 0);
    fields->addWidget(EdiErsetzen, 1, 1);
    fields->addWidget(ChkGrossKlein, 2, 0, 1, 2);
    fields->addWidget(ChkGanzesWort, 3, 0, 1, 2);
    fields->addWidget(GrpRichtung, 4, 0, 1, 2);
    fields->setRowStretch(5, 1);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {ButWeitersuchen, ButErsetzen, ButAlleErsetzen, ButAbbrechen})
        buttons->addWidget(button);
    buttons->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addLayout(buttons);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(LabMeldung);
    EdiSuchen->setMinimumWidth(220);

    // Tab leads from the search text to the replacement, then on down and to the buttons.
    const QList<QWidget*> order = {EdiSuchen, EdiErsetzen,     ChkGrossKlein, ChkGanzesWort,   RadOben,
                                   RadUnten,  ButWeitersuchen, ButErsetzen,   ButAlleErsetzen, ButAbbrechen};
    for (qsizetype i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

void FindDialog::enableButtons() {
    const bool something = !EdiSuchen->text().isEmpty();
    for (QPushButton* button : {ButWeitersuchen, ButErsetzen, ButAlleErsetzen}) button->setEnabled(something);
}

void FindDialog::showFor(bool replacing, const QString& preset) {
    replacing_ = replacing;
    setWindowTitle(replacing ? QStringLiteral("Ersetzen") : QStringLiteral("Suchen"));
    for (QWidget* part : std::initializer_list<QWidget*>{LabErsetzen, EdiErsetzen, ButErsetzen, ButAlleErsetzen}) {
        part->setVisible(replacing);
    }
    GrpRichtung->setVisible(!replacing);  // replacing goes down the text
    if (!preset.isEmpty()) EdiSuchen->setText(preset);
    say({});
    adjustSize();
    show();
    raise();
    activateWindow();
    EdiSuchen->selectAll();
    EdiSuchen->setFocus(Qt::ShortcutFocusReason);
}

SearchRequest FindDialog::request() const {
    SearchRequest request;
    request.pattern = EdiSuchen->text();
    request.rules.matchCase = ChkGrossKlein->isChecked();
    request.rules.wholeWord = ChkGanzesWort->isChecked();
    request.upwards = !replacing_ && RadOben->isChecked();
    return request;
}

QString FindDialog::replacement() const { return EdiErsetzen->text(); }

void FindDialog::say(const QString& message) {
    LabMeldung->setText(message);
    LabMeldung->setAccessibleDescription(message);
}

}  // namespace korvex::search
