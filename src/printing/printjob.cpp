#include "printing/printjob.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QScreen>

#include "app/kxerror.h"

namespace korvex {
namespace {

const char* const kIoError = "E/A-Fehler beim Drucken";

QString numberedFile(const QString& path, int number) {
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString base = info.suffix().isEmpty() ? path : path.left(path.size() - suffix.size());
    return QStringLiteral("%1-%2%3").arg(base, QString::number(number), suffix);  // one pass: a "%2" in the path stays
}

}  // namespace

QtPrintJob::QtPrintJob(QPrinter& printer) : printer_(printer) {}

QtPrintJob::~QtPrintJob() { AbandonJob(); }

void QtPrintJob::startRun() {
    chosenFile_ = printer_.outputFileName();
    jobsInRun_ = 0;
}

void QtPrintJob::BeginJob() {
    if (painter_) throw KxError("Druckvorgang läuft");
    printer_.setDocName(QString());
    printer_.setFullPage(false);  // positions count from the printable area
    if (!chosenFile_.isEmpty()) {
        ++jobsInRun_;
        printer_.setOutputFileName(jobsInRun_ == 1 ? chosenFile_ : numberedFile(chosenFile_, jobsInRun_));
    }
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(&printer_)) {
        if (!chosenFile_.isEmpty()) printer_.setOutputFileName(chosenFile_);
        throw KxError("Ausgewählter Drucker ist ungültig");
    }
    painter_ = std::move(painter);
    const QFontMetrics metrics = painter_->fontMetrics();
    flow_.emplace(printer_.width(), printer_.height(), FlowMetrics{metrics.height(), metrics.averageCharWidth()});
}

void QtPrintJob::requireOpen() const {
    if (!painter_) throw KxError(kIoError);
}

void QtPrintJob::SetJobFont(const QFont& font, const QColor& colour) {
    requireOpen();
    QFont printed = font;
    if (printed.pointSizeF() <= 0) {
        // A font sized in screen pixels keeps its size in points on paper.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
        printed.setPointSizeF(printed.pixelSize() * 72.0 / dpi);
    }
    painter_->setFont(printed);
    painter_->setPen(colour);
    const QFontMetrics metrics = painter_->fontMetrics();
    flow_->setMetrics({metrics.height(), metrics.averageCharWidth()});
}

void QtPrintJob::WriteLine(const QString& text) {
    requireOpen();
    const QFontMetrics metrics = painter_->fontMetrics();
    const auto width = [&metrics](std::u16string_view piece) {
        return metrics.horizontalAdvance(
            QString(reinterpret_cast<const QChar*>(piece.data()), static_cast<qsizetype>(piece.size())));
    };
    for (const FlowStep& step : flow_->writeLine(text.toStdU16String(), width)) {
        if (step.kind == FlowStep::Kind::NewSheet) {
            if (!printer_.newPage()) throw KxError(kIoError);
        } else {
            painter_->drawText(QPoint(step.x, step.y + metrics.ascent()), QString::fromStdU16String(step.text));
        }
    }
    if (printer_.printerState() == QPrinter::Error) throw KxError(kIoError);
}

void QtPrintJob::EndJob() {
    requireOpen();
    const bool ended = painter_->end();
    finish();
    if (!ended || printer_.printerState() == QPrinter::Error) throw KxError(kIoError);
}

void QtPrintJob::AbandonJob() {
    if (!painter_) return;
    // Qt's PDF and CUPS engines cannot take back what was drawn; a file they
    // wrote is removed, so no half job is left behind.
    const bool aborted = printer_.abort();
    painter_->end();
    const QString file = printer_.outputFileName();
    finish();
    if (!aborted && !file.isEmpty()) QFile::remove(file);
}

void QtPrintJob::finish() {
    painter_.reset();
    flow_.reset();
    if (!chosenFile_.isEmpty()) printer_.setOutputFileName(chosenFile_);
}

}  // namespace korvex
