#include "platform/printjob.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QScreen>

#include "base/kxerror.h"

namespace korvex {
namespace {

const char* const kIoError = "E/A-Fehler beim Drucken";

}  // namespace

void FlowPrintJob::startFlow(const QPaintDevice& device) {
    device_ = &device;
    font_ = QFont();
    colour_ = Qt::black;
    const QFontMetrics metrics(font_, device_);
    flow_.emplace(device.width(), device.height(), FlowMetrics{metrics.height(), metrics.averageCharWidth()});
}

void FlowPrintJob::stopFlow() { flow_.reset(); }

void FlowPrintJob::requireOpen() const {
    if (!flow_) throw KxError(kIoError);
}

void FlowPrintJob::SetJobFont(const QFont& font, const QColor& colour) {
    requireOpen();
    font_ = font;
    if (font_.pointSizeF() <= 0) {
        // A font sized in screen pixels keeps its size in points on paper.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
        font_.setPointSizeF(font_.pixelSize() * 72.0 / dpi);
    }
    colour_ = colour;
    const QFontMetrics metrics(font_, device_);
    flow_->setMetrics({metrics.height(), metrics.averageCharWidth()});
}

void FlowPrintJob::WriteLine(const QString& text) {
    requireOpen();
    const QFontMetrics metrics(font_, device_);
    const auto width = [&metrics](std::u16string_view piece) {
        return metrics.horizontalAdvance(
            QString(reinterpret_cast<const QChar*>(piece.data()), static_cast<qsizetype>(piece.size())));
    };
    for (const FlowStep& step : flow_->writeLine(text.toStdU16String(), width)) {
        if (step.kind == FlowStep::Kind::NewSheet) {
            startSheet();
        } else {
            drawPiece(QPoint(step.x, step.y + metrics.ascent()), QString::fromStdU16String(step.text));
        }
    }
    checkDevice();
}

QtPrintJob::QtPrintJob(QPrinter& printer) : printer_(printer) {}

QtPrintJob::~QtPrintJob() { AbandonJob(); }

bool QtPrintJob::toFile() const { return !printer_.outputFileName().isEmpty(); }

void QtPrintJob::openDocument() {
    printer_.setDocName(QString());
    printer_.setFullPage(false);  // positions count from the printable area
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(&printer_)) throw KxError("Ausgewählter Drucker ist ungültig");
    painter_ = std::move(painter);
}

void QtPrintJob::BeginJob() {
    if (jobOpen_) throw KxError("Druckvorgang läuft");
    if (!painter_) {
        openDocument();
    } else if (!printer_.newPage()) {  // the next page of the run's file
        throw KxError(kIoError);
    }
    jobOpen_ = true;
    startFlow(printer_);
}

void QtPrintJob::drawPiece(QPoint baseline, const QString& text) {
    painter_->setFont(font_);
    painter_->setPen(colour_);
    painter_->drawText(baseline, text);
}

void QtPrintJob::startSheet() {
    if (!printer_.newPage()) throw KxError(kIoError);
}

void QtPrintJob::checkDevice() {
    if (printer_.printerState() == QPrinter::Error) throw KxError(kIoError);
}

void QtPrintJob::EndJob() {
    requireOpen();
    stopFlow();
    jobOpen_ = false;
    if (toFile()) {
        checkDevice();  // the file stays open for the run's next page
        return;
    }
    const bool ended = painter_->end();
    painter_.reset();
    if (!ended || printer_.printerState() == QPrinter::Error) throw KxError(kIoError);
}

void QtPrintJob::AbandonJob() {
    stopFlow();
    jobOpen_ = false;
    if (!painter_) return;
    // Qt's PDF and CUPS engines cannot take back what was drawn; a file keeps
    // the pages that were ended, and the run is over.
    if (!toFile()) printer_.abort();
    painter_->end();
    painter_.reset();
}

void QtPrintJob::EndRun() {
    if (!painter_ || jobOpen_) return;
    const bool ended = painter_->end();
    painter_.reset();
    if (!ended) throw KxError(kIoError);
}

PreviewPrintJob::PreviewPrintJob(const QPrinter& printer) : printer_(printer) {}

void PreviewPrintJob::BeginJob() {
    if (flowOpen()) throw KxError("Druckvorgang läuft");
    sheets_.assign(1, Sheet());
    startFlow(printer_);
}

void PreviewPrintJob::drawPiece(QPoint baseline, const QString& text) {
    sheets_.back().push_back({baseline, text, font_, colour_});
}

void PreviewPrintJob::startSheet() { sheets_.emplace_back(); }

void PreviewPrintJob::EndJob() {
    requireOpen();
    stopFlow();
}

void PreviewPrintJob::AbandonJob() { stopFlow(); }

}  // namespace korvex
