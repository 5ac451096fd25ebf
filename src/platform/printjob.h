#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "platform/platform.h"
#include "platform/printflow.h"

class QPaintDevice;
class QPainter;
class QPrinter;

namespace korvex {

// The part every print job shares: the job's font in points at the
// device's resolution, and the print flow that places the lines on sheets,
// measured on the device. What becomes of the placed text is the subclass's.
class FlowPrintJob : public PrintJob {
public:
    void SetJobFont(const QFont& font, const QColor& colour) override;
    void WriteLine(const QString& text) override;

protected:
    // A job begins on a device; its measures decide where every line goes.
    void startFlow(const QPaintDevice& device);
    void stopFlow();
    bool flowOpen() const { return flow_.has_value(); }
    void requireOpen() const;

    // A piece of text with its baseline starting at `baseline` (device pixels
    // of the printable area), in the job's font and colour.
    virtual void drawPiece(QPoint baseline, const QString& text) = 0;
    virtual void startSheet() = 0;
    // Called after every line, so a failed device ends the job at once.
    virtual void checkDevice() {}

    QFont font_;
    QColor colour_ = Qt::black;

private:
    const QPaintDevice* device_ = nullptr;
    std::optional<PrintFlow> flow_;
};

// A print job on a Qt printer (through CUPS on Linux): the placed text is
// drawn with a painter. On a printer every job is a document of its own;
// printed to a file, the jobs of one run become the pages of one document,
// so the file the user named holds every page and no other file is written.
class QtPrintJob : public FlowPrintJob {
public:
    explicit QtPrintJob(QPrinter& printer);
    ~QtPrintJob() override;

    void BeginJob() override;
    void EndJob() override;
    void AbandonJob() override;
    void EndRun() override;

    QPrinter& printer() { return printer_; }

protected:
    void drawPiece(QPoint baseline, const QString& text) override;
    void startSheet() override;
    void checkDevice() override;

private:
    bool toFile() const;
    void openDocument();

    QPrinter& printer_;
    std::unique_ptr<QPainter> painter_;  // open from a document's start to its end
    bool jobOpen_ = false;
};

// A job that prints nothing: it keeps the sheets of one page as the printer
// would receive them, for the preview to show.
class PreviewPrintJob : public FlowPrintJob {
public:
    struct Piece {
        QPoint baseline;  // device pixels of the printable area
        QString text;
        QFont font;
        QColor colour;
    };
    using Sheet = std::vector<Piece>;

    explicit PreviewPrintJob(const QPrinter& printer);

    void BeginJob() override;
    void EndJob() override;
    void AbandonJob() override;
    void EndRun() override {}

    // The sheets of the last job, in order.
    const std::vector<Sheet>& sheets() const { return sheets_; }

protected:
    void drawPiece(QPoint baseline, const QString& text) override;
    void startSheet() override;

private:
    const QPrinter& printer_;
    std::vector<Sheet> sheets_;
};

}  // namespace korvex
