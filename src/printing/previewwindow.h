#pragma once

#include <QDialog>
#include <QPointF>
#include <QSizeF>
#include <vector>

#include "platform/printjob.h"
#include "printing/printrun.h"

class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;

namespace korvex::printing {

// Where the sheets of the current printer put their printable area.
struct SheetGeometry {
    QSizeF paper;            // device pixels
    QPointF printableStart;  // top-left of the printable area on the paper
    double dotsPerInch = 0;
};

// The sheets of one page, drawn at a scale on white paper, one below the other.
class SheetView : public QWidget {
    Q_OBJECT

public:
    explicit SheetView(QWidget* parent = nullptr);

    void setSheets(const std::vector<PreviewPrintJob::Sheet>& sheets, const SheetGeometry& geometry);
    void setScale(double screenPixelsPerDevicePixel);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintSheet(QPainter& painter, const PreviewPrintJob::Sheet& sheet, double scale) const;

    std::vector<PreviewPrintJob::Sheet> sheets_;
    SheetGeometry geometry_;
    double scale_ = 0.05;
};

// "Seitenansicht": the pages of a print run one at a time, each laid out
// only when it is shown, through the same code that sends it to the printer.
class PrintPreviewWindow : public QDialog {
    Q_OBJECT

public:
    PrintPreviewWindow(MainWindow& window, PrintRun run);

    int pageCount() const { return run_.pageCount; }
    int currentPage() const { return page_; }
    // The sheets of a page (from 0) as the printer would get them.
    std::vector<PreviewPrintJob::Sheet> sheetsOf(int page);
    void showPage(int page);

    QLabel* LabSeiten;
    QSpinBox* EdiSeite;
    QPushButton* ButZurueck;
    QPushButton* ButWeiter;
    QPushButton* ButGanzeSeite;
    QPushButton* ButSeitenbreite;
    QPushButton* ButDrucken;
    QPushButton* ButSchliessen;
    QScrollArea* Ansicht;
    SheetView* Blaetter;

public slots:
    void ButDruckenClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void fitToWindow();

    MainWindow& main_;
    PrintRun run_;
    int page_ = -1;
};

}  // namespace korvex::printing
