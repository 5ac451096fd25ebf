// Opening the print preview of a big document, and paging through it, as
// ratios to a plain QPlainTextEdit taking the same text in the same run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>

#include "app/uKorvex21.h"
#include "app/windowset.h"
#include "corpus.h"
#include "display/documenttext.h"
#include "display/textwindow.h"
#include "platform/qtplatform.h"
#include "printing/previewwindow.h"
#include "printing/printrun.h"

namespace korvex::bench {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void Preview(benchmark::State& state) {
    const char* megabytes = std::getenv("KORVEX_BENCH_MB");
    const std::string bytes = generateProse(static_cast<size_t>(megabytes ? std::atoi(megabytes) : 50) << 20);
    QTemporaryDir workingDir;
    QDir::setCurrent(workingDir.path());
    QtPlatform platform;
    WindowSet windows = createWindowSet(platform);
    TForm1& form = *windows.Form1;
    form.show();
    form.resize(800, 600);
    form.MemArbeitsfenster->loadBytes(bytes);
    form.MemArbeitsfenster->finishLoading();  // the preview below is timed, not the rest of the load
    QApplication::processEvents();
    QPlainTextEdit plain;
    plain.setFont(form.MemArbeitsfenster->font());
    const QString plainText = documentTextFromBytes(bytes);

    for (auto _ : state) {
        plain.clear();
        QApplication::processEvents();
        auto start = Clock::now();
        plain.setPlainText(plainText);
        const double baseline = secondsSince(start);

        // What the menu item does after the header question, up to the first page on screen.
        start = Clock::now();
        printing::PrintPreviewWindow window(form, printing::prepareRun(form, false));
        window.show();
        QApplication::processEvents();
        const double open = secondsSince(start);

        constexpr int kSteps = 100;
        start = Clock::now();
        for (int i = 1; i <= kSteps; ++i) {
            window.showPage(window.pageCount() / 2 + i);
            QApplication::processEvents();
        }
        const double step = secondsSince(start) / kSteps;

        state.counters["setPlainText_s"] = baseline;
        state.counters["preview_open_s"] = open;
        state.counters["preview_open_ratio"] = open / baseline;
        state.counters["page_step_ms"] = step * 1e3;
        state.counters["page_step_ratio"] = step / baseline;
        state.counters["pages"] = window.pageCount();
    }
}

BENCHMARK(Preview)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvex::bench
