// The main window's controls as the user sees them: the three panels, the
// tool buttons, the display panel, the text window, the menus and the Tab
// order, each with its objectName, geometry, font and hints.
#include "app/uKorvex21.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "display/screencolours.h"
#include "display/textwindow.h"
#include "document/headerfield.h"
#include "search/findreplace.h"
#include "widgets/controls.h"

namespace korvex {
namespace {

// The layout's colours and fonts.
const ControlColours kMoneyGreenField{colours::MoneyGreen, colours::WindowText};

template <class Control>
Control* place(Control* control, const char* name, QRect geometry) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

QFrame* makePanel(const char* name, QWidget* parent, Colour colour) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    panel->setAutoFillBackground(true);
    setPaletteColour(*panel, QPalette::Window, toQColor(colour));
    return panel;
}

// A screen reader says the caption first, as a user sees it, then what the
// button does; the hint stays its description.
QString spokenName(const QString& caption, const QString& whatItDoes) {
    return caption + QStringLiteral(", ") + whatItDoes;
}

QPushButton* makeButton(const char* name, const QString& caption, const QString& whatItDoes, QRect geometry,
                        QWidget* parent, const QString& hint, int pixelSize = 13) {
    auto* button = place(new QPushButton(caption, parent), name, geometry);
    button->setFont(pixelFont(QStringLiteral("Arial"), pixelSize, true));
    button->setToolTip(hint);
    button->setAccessibleName(spokenName(caption, whatItDoes));
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

ImageButton* makeImageButton(const char* name, const QString& image, const QString& spoken, QRect geometry,
                             QWidget* parent, const QString& hint) {
    auto* button = place(new ImageButton(QStringLiteral(":/images/") + image, parent), name, geometry);
    button->setToolTip(hint);
    button->setAccessibleName(spoken);
    return button;
}

QLabel* makeCaption(const char* name, const QString& caption, QRect geometry, QWidget* parent, const QFont& font) {
    auto* label = place(new QLabel(caption, parent), name, geometry);
    label->setFont(font);
    label->setMargin(0);
    return label;
}

ValueLabel* makeValueLabel(const char* name, QPoint topLeft, QLabel* caption, QWidget* parent) {
    auto* label = new ValueLabel(pixelFont(QStringLiteral("Arial"), 12, true), *caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    setPaletteColour(*label, QPalette::Window, toQColor(colours::SkyBlue));
    label->setGeometry(topLeft.x(), topLeft.y(), 1, 15);
    label->setValue(QString());
    return label;
}

}  // namespace

void TForm1::buildPanels() {
    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    PanOben = makePanel("PanOben", client, colours::BtnFace);
    PanOben->setFixedHeight(57);
    PanOben->setFont(pixelFont(QStringLiteral("Arial"), 16, true));
    PanAnzeige = makePanel("PanAnzeige", client, colours::Silver);
    PanAnzeige->setFixedHeight(72);
    PanMitte = makePanel("PanMitte", client, colours::BtnFace);
    column->addWidget(PanOben);
    column->addWidget(PanAnzeige);
    column->addWidget(PanMitte, 1);
    setCentralWidget(client);
    buildToolPanel();
    buildDisplayPanel();
    buildTextPanel();
}

void TForm1::buildToolPanel() {
    QWidget* p = PanOben;
    const QFont buttonFont = pixelFont(QStringLiteral("Arial"), 13, true);
    SpButFonts = makeImageButton("SpButFonts", "schrift.bmp", "Schrift ändern", {0, 0, 41, 25}, p,
                                 "Schrift einstellen");
    SpButDrucken = makeImageButton("SpButDrucken", "drucken.bmp", "Drucken", {40, 0, 41, 25}, p,
                                   "Dokument drucken / Drucker einstellen");
    PanTop = place(new BevelButtonPanel(QStringLiteral("TOP"), p), "PanTop", {80, 0, 49, 25});
    PanTop->setFont(buttonFont);
    PanTop->setToolTip(QStringLiteral("Korvex bleibt immer im Vordergrund"));
    PanTop->setAccessibleName(spokenName(QStringLiteral("TOP"), QStringLiteral("immer im Vordergrund")));
    EdiDatum = place(new ClickableField(p), "EdiDatum", {136, 0, 121, 26});
    EdiDatum->setFont(pixelFont(QStringLiteral("Courier New"), 16, true));
    EdiDatum->setToolTip(QStringLiteral("Datum aktualisieren durch Klick"));
    EdiDatum->setAccessibleName(QStringLiteral("Datum"));
    EdiDatum->setFocusPolicy(Qt::ClickFocus);
    applyColours(*EdiDatum, kMoneyGreenField);
    ButDatum = makeButton("ButDatum", "Dat", "Datum einfügen", {264, 0, 49, 25}, p, "Datum einfügen");
    ButReplace = makeButton("ButReplace", "Repl", "Umlaute für HTML ersetzen", {320, 0, 41, 25}, p,
                            "Ersetzt Umlaute etc. für HTML, ohne < und >");
    ButStart = makeButton("ButStart", "GO", "Stoppuhr starten", {368, 0, 41, 25}, p, "Stoppuhr starten");
    ButStop = makeButton("ButStop", "STP", "Stoppuhr anhalten", {408, 0, 49, 25}, p, "Stoppuhr anhalten");
    ButReset = makeButton("ButReset", "RST", "Stoppuhr zurücksetzen", {456, 0, 41, 25}, p, "Stoppuhr zurücksetzen");
    BitButClose = makeButton("BitButClose", "EX", "Korvex beenden", {504, 0, 49, 57}, p, "Korvex beenden", 24);
    SpButSchliessen = makeImageButton("SpButSchliessen", "schliessen.bmp", "Neu/Schließen", {0, 24, 33, 33}, p,
                                      "Dokument schließen / Neues Dokument");
    SpButOeffnen = makeImageButton("SpButOeffnen", "oeffnen.bmp", "Öffnen", {32, 24, 33, 33}, p,
                                   "Vorhandene Datei öffnen");
    SpButSpeichern = makeImageButton("SpButSpeichern", "speichern.bmp", "Speichern", {64, 24, 33, 33}, p,
                                     "Dokument Speichern");
    SpButSpUnter = makeImageButton("SpButSpUnter", "speichernunter.bmp", "Speichern unter", {96, 24, 33, 33}, p,
                                   "Dokument Speichern unter ...");
    Label4 = makeCaption("Label4", "Zwischenablage:", {144, 24, 102, 16}, p,
                         pixelFont(QStringLiteral("MS Sans Serif"), 13, false));
    ButX = makeButton("ButX", "X", "Ausschneiden", {136, 40, 41, 17}, p, "Ausschneiden");
    ButC = makeButton("ButC", "C", "Kopieren", {176, 40, 41, 17}, p, "Kopieren");
    ButE = makeButton("ButE", "E", "Einfügen", {216, 40, 41, 17}, p, "Einfügen");
    ButPhrasen = makeButton("ButPhrasen", "Phr", "Phrasen", {264, 32, 49, 25}, p, "Phrase auswählen und einfügen");
    ButReplaceAll = makeButton("ButReplaceAll", "RAll", "Umlaute und spitze Klammern für HTML ersetzen",
                               {320, 32, 41, 25}, p, "Ersetzt Umlaute etc. für HTML, inklusive < und >");
    EdiTime = place(new QLineEdit(p), "EdiTime", {368, 24, 129, 25});
    EdiTime->setFont(pixelFont(QStringLiteral("Courier New"), 15, true));
    EdiTime->setToolTip(QStringLiteral("Stoppzeit in Sekunden hier eintragen, sonst Stoppzeit = 600 Sek."));
    EdiTime->setAccessibleName(QStringLiteral("Stoppzeit in Sekunden"));
    applyColours(*EdiTime, kMoneyGreenField);
}

void TForm1::buildDisplayPanel() {
    QWidget* p = PanAnzeige;
    const QFont boldLabel = pixelFont(QStringLiteral("Arial"), 12, true);
    LabShowDatName = makeCaption("LabShowDatName", QString(), {8, 1, 545, 16}, p,
                                 pixelFont(QStringLiteral("Arial"), 12, false));
    LabShowDatName->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabShowDatName->setAutoFillBackground(true);
    setPaletteColour(*LabShowDatName, QPalette::Window, toQColor(colours::MoneyGreen));
    LabZeilenAnz = makeCaption("LabZeilenAnz", "Zeilen:", {8, 16, 37, 15}, p, boldLabel);
    LabShowZeilenAnz = makeValueLabel("LabShowZeilenAnz", {53, 16}, LabZeilenAnz, p);
    Label1 = makeCaption("Label1", "CursorZeile:", {96, 16, 69, 15}, p, boldLabel);
    LabShowCZeile = makeValueLabel("LabShowCZeile", {176, 16}, Label1, p);
    Label2 = makeCaption("Label2", "CursorSpalte:", {216, 16, 78, 15}, p, boldLabel);
    LabShowCSpalte = makeValueLabel("LabShowCSpalte", {304, 16}, Label2, p);
    Label3 = makeCaption("Label3", "Fensterfarbe:", {344, 16, 76, 15}, p, boldLabel);
    ColorBox1 = place(new ColourPicker(p), "ColorBox1", {424, 16, 129, 22});
    ColorBox1->setFont(boldLabel);
    ColorBox1->setToolTip(QStringLiteral("Fensterfarbe einstellen"));
    ColorBox1->setAccessibleName(QStringLiteral("Fensterfarbe"));
    Label3->setBuddy(ColorBox1);  // no mnemonic: it only tells who labels whom
    EdiKopfzeile = place(new HeaderField(p), "EdiKopfzeile", {8, 40, 625, 28});
    EdiKopfzeile->setFont(pixelFont(QStringLiteral("Courier New"), 15, false));
    EdiKopfzeile->setToolTip(QStringLiteral("Hier ggfs. Kopfzeile eintragen"));
    EdiKopfzeile->setAccessibleName(QStringLiteral("Kopfzeile"));
    EdiKopfzeile->setColours(kMoneyGreenField);
    Panel1 = place(new QFrame(p), "Panel1", {646, 4, 5, 17});
    Panel1->setAutoFillBackground(true);
    setPaletteColour(*Panel1, QPalette::Window, Qt::black);
    Panel1->setToolTip(QStringLiteral("Markierung Normal-/Sollgröße beim Drucken"));
    Panel1->setAccessibleName(QStringLiteral("Markierung Druckbreite"));
}

void TForm1::buildTextPanel() {
    auto* inside = new QVBoxLayout(PanMitte);
    inside->setContentsMargins(0, 0, 0, 0);  // the bevel already keeps one pixel free
    MemArbeitsfenster = new TextWindow(PanMitte);
    MemArbeitsfenster->setObjectName(QStringLiteral("MemArbeitsfenster"));
    MemArbeitsfenster->setAccessibleName(QStringLiteral("Text"));
    MemArbeitsfenster->setFont(pixelFont(QStringLiteral("Courier New"), 13, false));
    MemArbeitsfenster->setColours(kMoneyGreenField);
    inside->addWidget(MemArbeitsfenster);
}

void TForm1::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MenHaupt"));
    Datei1 = bar->addMenu(QStringLiteral("&Datei"));
    Datei1->setObjectName(QStringLiteral("Datei1"));
    const auto item = [this](const char* name, const QString& caption) {
        QAction* action = Datei1->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    const auto separator = [this](const char* name) {
        QAction* action = Datei1->addSeparator();
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    Schliessen1 = item("Schliessen1", QStringLiteral("&Neu/Schließen"));
    Oeffnen1 = item("Oeffnen1", QStringLiteral("&Öffnen"));
    Speichern1 = item("Speichern1", QStringLiteral("&Speichern"));
    Speichernnter1 = item("Speichernnter1", QStringLiteral("Speichern unter ..."));
    N1 = separator("N1");
    Schrift = item("Schrift", QStringLiteral("Schrift ändern"));
    // "TOP" from the keyboard: the tool panel's image buttons stay out of the Tab order.
    Vordergrund1 = item("Vordergrund1", QStringLiteral("Immer im &Vordergrund"));
    Vordergrund1->setCheckable(true);
    N3 = separator("N3");
    Drucken1 = item("Drucken1", QStringLiteral("&Drucken"));
    Seitenansicht1 = item("Seitenansicht1", QStringLiteral("Seitenansicht ..."));
    N2 = separator("N2");
    Beenden1 = item("Beenden1", QStringLiteral("&Beenden"));
    SelectAll1 = bar->addAction(QStringLiteral("SelectAll"));
    SelectAll1->setObjectName(QStringLiteral("SelectAll1"));
    buildSearchMenu();
    Info1 = bar->addAction(QStringLiteral("&Info"));
    Info1->setObjectName(QStringLiteral("Info1"));
}

// The program's only shortcut keys; they reach the main window wherever its
// focus is, and its dialogs, as long as no modal dialog is open.
void TForm1::buildSearchMenu() {
    findReplace_ = new search::FindReplace(*this);
    findReplace_->setParent(this);  // goes with the window
    Suchen1 = menuBar()->addMenu(QStringLiteral("&Suchen"));
    Suchen1->setObjectName(QStringLiteral("Suchen1"));
    const auto item = [this](const char* name, const QString& caption, const QKeySequence& keys) {
        QAction* action = Suchen1->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        return action;
    };
    Suchen2 = item("Suchen2", QStringLiteral("&Suchen ..."), QKeySequence(Qt::CTRL | Qt::Key_F));
    Weitersuchen1 = item("Weitersuchen1", QStringLiteral("&Weitersuchen"), QKeySequence(Qt::Key_F3));
    Ersetzen1 = item("Ersetzen1", QStringLiteral("&Ersetzen ..."), QKeySequence(Qt::CTRL | Qt::Key_H));
}

void TForm1::setTabOrder() {
    const QList<QWidget*> order = {
        ButX,    ButC,     ButE,     ButPhrasen, BitButClose,       ButDatum,  ButReplace,  ButReplaceAll,
        EdiTime, ButStart, ButReset, ButStop,    MemArbeitsfenster, ColorBox1, EdiKopfzeile};
    for (qsizetype i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

}  // namespace korvex
