#include "printing/previewwindow.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

namespace korvex::printing {
namespace {

constexpr int kGap = 12;  // screen pixels around and between the sheets

SheetGeometry geometryOf(const QPrinter& printer) {
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF printable = printer.pageRect(QPrinter::DevicePixel);
    return {paper.size(), printable.topLeft() - paper.topLeft(), static_cast<double>(printer.resolution())};
}

}  // namespace

SheetView::SheetView(QWidget* parent) : QWidget(parent) {}

void SheetView::setSheets(const std::vector<PreviewPrintJob::Sheet>& sheets, const SheetGeometry& geometry) {
    sheets_ = sheets;
    geometry_ = geometry;
    setScale(scale_);
}

void SheetView::setScale(double screenPixelsPerDevicePixel) {
    scale_ = screenPixelsPerDevicePixel;
    const QSizeF paper = geometry_.paper * scale_;
    const int count = static_cast<int>(std::max<size_t>(sheets_.size(), 1));
    setFixedSize(qCeil(paper.width()) + 2 * kGap, count * (qCeil(paper.height()) + kGap) + kGap);
    update();
}

// Text is drawn in the job's font at the printer's resolution and then
// scaled, so every piece starts where the printer puts it.
void SheetView::paintSheet(QPainter& painter, const PreviewPrintJob::Sheet& sheet, double scale) const {
    painter.fillRect(QRectF(QPointF(0, 0), geometry_.paper * scale), Qt::white);
    const double fontScale = scale * geometry_.dotsPerInch / painter.device()->logicalDpiY();
    for (const PreviewPrintJob::Piece& piece : sheet) {
        painter.save();
        painter.translate((geometry_.printableStart + QPointF(piece.baseline)) * scale);
        painter.scale(fontScale, fontScale);
        painter.setFont(piece.font);
        painter.setPen(piece.colour);
        painter.drawText(QPointF(0, 0), piece.text);
        painter.restore();
    }
}

void SheetView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QSizeF paper = geometry_.paper * scale_;
    for (size_t i = 0; i < sheets_.size(); ++i) {
        painter.save();
        painter.translate(kGap, kGap + static_cast<double>(i) * (qCeil(paper.height()) + kGap));
        painter.fillRect(QRectF(QPointF(3, 3), paper), QColor(80, 80, 80));  // the sheet's shadow
        paintSheet(painter, sheets_[i], scale_);
        painter.setPen(Qt::black);
        painter.drawRect(QRectF(QPointF(0, 0), paper));
        painter.restore();
    }
}

namespace {

// About a sheet's height where the screen has room, never more than the free
// part of the main window's screen, so the buttons and the sheet's foot show.
QSize openingSize(const QWidget& over) {
    constexpr int kFrameAllowance = 40;  // title bar and frame the window manager adds
    const QSize free = over.screen()->availableGeometry().size() - QSize(kFrameAllowance, kFrameAllowance);
    return QSize(760, 900).boundedTo(free);
}

}  // namespace

PrintPreviewWindow::PrintPreviewWindow(MainWindow& window, PrintRun run)
    : QDialog(&window.dialogParent()), main_(window), run_(std::move(run)) {
    setObjectName(QStringLiteral("Seitenansicht"));
    setWindowTitle(QStringLiteral("Seitenansicht"));
    buildControls();
    resize(openingSize(window.dialogParent()));
    showPage(0);
}

void PrintPreviewWindow::buildControls() {
    auto* bar = new QHBoxLayout;
    const auto button = [this, bar](const char* name, const QString& caption, const QString& hint) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        bar->addWidget(b);
        return b;
    };
    ButZurueck = button("ButZurueck", QStringLiteral("< Zurück"), QStringLiteral("Vorige Seite (Bild auf)"));
    auto* pageCaption = new QLabel(QStringLiteral("Seite"), this);
    bar->addWidget(pageCaption);
    EdiSeite = new QSpinBox(this);
    EdiSeite->setObjectName(QStringLiteral("EdiSeite"));
    EdiSeite->setAccessibleName(QStringLiteral("Seite"));
    pageCaption->setBuddy(EdiSeite);  // no mnemonic: it only tells who labels whom
    EdiSeite->setRange(1, run_.pageCount);
    EdiSeite->setLocale(QLocale(QLocale::German, QLocale::Germany));
    EdiSeite->setGroupSeparatorShown(true);
    bar->addWidget(EdiSeite);
    LabSeiten = new QLabel(
        QStringLiteral("von %1").arg(QLocale(QLocale::German, QLocale::Germany).toString(run_.pageCount)), this);
    LabSeiten->setObjectName(QStringLiteral("LabSeiten"));
    bar->addWidget(LabSeiten);
    ButWeiter = button("ButWeiter", QStringLiteral("Weiter >"), QStringLiteral("Nächste Seite (Bild ab)"));
    bar->addSpacing(16);
    ButGanzeSeite = button("ButGanzeSeite", QStringLiteral("Ganze Seite"), QStringLiteral("Das ganze Blatt einpassen"));
    ButSeitenbreite = button("ButSeitenbreite", QStringLiteral("Seitenbreite"),
                             QStringLiteral("Die Blattbreite einpassen"));
    auto* zoom = new QButtonGroup(this);
    for (QPushButton* b : {ButGanzeSeite, ButSeitenbreite}) {
        b->setCheckable(true);
        zoom->addButton(b);
    }
    ButGanzeSeite->setChecked(true);
    bar->addStretch();
    ButDrucken = button("ButDrucken", QStringLiteral("Drucken"), QStringLiteral("Diese Seiten drucken"));
    ButSchliessen = button("ButSchliessen", QStringLiteral("Schließen"), QStringLiteral("Seitenansicht schließen"));

    Blaetter = new SheetView(this);
    Blaetter->setObjectName(QStringLiteral("Blaetter"));
    Ansicht = new QScrollArea(this);
    Ansicht->setObjectName(QStringLiteral("Ansicht"));
    Ansicht->setBackgroundRole(QPalette::Dark);
    Ansicht->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Ansicht->setWidget(Blaetter);
    Ansicht->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(Ansicht, 1);

    connect(ButZurueck, &QPushButton::clicked, this, [this] { showPage(page_ - 1); });
    connect(ButWeiter, &QPushButton::clicked, this, [this] { showPage(page_ + 1); });
    connect(EdiSeite, &QSpinBox::valueChanged, this, [this](int number) { showPage(number - 1); });
    connect(zoom, &QButtonGroup::buttonClicked, this, [this] { fitToWindow(); });
    connect(ButDrucken, &QPushButton::clicked, this, &PrintPreviewWindow::ButDruckenClick);
    connect(ButSchliessen, &QPushButton::clicked, this, &QDialog::reject);
}

std::vector<PreviewPrintJob::Sheet> PrintPreviewWindow::sheetsOf(int page) {
    PreviewPrintJob job(main_.platform().currentPrinter());
    sendPage(run_, page, job);
    return job.sheets();
}

void PrintPreviewWindow::showPage(int page) {
    page = std::clamp(page, 0, run_.pageCount - 1);
    if (page == page_) return;
    page_ = page;
    Blaetter->setSheets(sheetsOf(page), geometryOf(main_.platform().currentPrinter()));
    EdiSeite->setValue(page + 1);
    ButZurueck->setEnabled(page > 0);
    ButWeiter->setEnabled(page + 1 < run_.pageCount);
    fitToWindow();
    Ansicht->verticalScrollBar()->setValue(0);
}

void PrintPreviewWindow::fitToWindow() {
    const SheetGeometry geometry = geometryOf(main_.platform().currentPrinter());
    const QSize room = Ansicht->maximumViewportSize() -
                       QSize(2 * kGap + Ansicht->verticalScrollBar()->sizeHint().width(), 2 * kGap);
    double scale = room.width() / geometry.paper.width();
    if (ButGanzeSeite->isChecked()) scale = std::min(scale, room.height() / geometry.paper.height());
    Blaetter->setScale(std::max(scale, 0.01));
}

void PrintPreviewWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_PageDown: showPage(page_ + 1); break;
        case Qt::Key_PageUp: showPage(page_ - 1); break;
        case Qt::Key_Home:
            if (event->modifiers() & Qt::ControlModifier) showPage(0);
            break;
        case Qt::Key_End:
            if (event->modifiers() & Qt::ControlModifier) showPage(run_.pageCount - 1);
            break;
        default: QDialog::keyPressEvent(event);
    }
}

// The wheel scrolls the sheets and, at their end, goes on to the next or previous page.
bool PrintPreviewWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Ansicht->viewport() || event->type() != QEvent::Wheel) return QDialog::eventFilter(watched, event);
    const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
    const QScrollBar* bar = Ansicht->verticalScrollBar();
    if (delta < 0 && bar->value() == bar->maximum() && page_ + 1 < run_.pageCount) {
        showPage(page_ + 1);
        return true;
    }
    if (delta > 0 && bar->value() == bar->minimum() && page_ > 0) {
        showPage(page_ - 1);
        Ansicht->verticalScrollBar()->setValue(Ansicht->verticalScrollBar()->maximum());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void PrintPreviewWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitToWindow();
}

void PrintPreviewWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    fitToWindow();
}

// What is shown goes to the printer chosen in the print dialog, one job a
// page, exactly as the print command sends it.
void PrintPreviewWindow::ButDruckenClick() {
    bool printed = false;
    main_.guarded([this, &printed] {
        Platform& platform = main_.platform();
        if (!platform.askPrintSetup(this)) return;
        sendPages(platform, *this, run_, platform.chosenPages());
        printed = true;
    });
    if (printed) accept();
}

}  // namespace korvex::printing
