// Measurements of the text window on big documents. Every figure is a
// ratio to a plain QPlainTextEdit doing the corresponding work in the same
// run, so machines of different speed give comparable numbers.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/windowset.h"
#include "corpus.h"
#include "goaltable.h"
#include "platform/printjob.h"
#include "platform/qtplatform.h"
#include "printing/printcommand.h"
#include "typingtest/typingtest.h"
#include "widgets/controls.h"
#include "widgets/qtconvert.h"
#include "widgets/textwindow.h"
#include "widgets/wrapmodel.h"

namespace korvex::bench {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

size_t documentMegabytes() {
    const char* value = std::getenv("KORVEX_BENCH_MB");
    return value ? static_cast<size_t>(std::atoi(value)) : 50;
}

long peakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

// The two corpora every in-process goal is measured on: the generated
// prose of letters and a few stops, and ordinary German text with quotes,
// prices, dates, URLs, tabs and the rest.
enum Corpus { Prose = 0, German = 1 };

const char* corpusName(int corpus) { return corpus == German ? "german" : "prose"; }

std::string corpusBytes(int corpus, size_t megabytes) {
    return corpus == German ? generateGermanText(megabytes << 20) : generateProse(megabytes << 20);
}

// A counter's name for the corpus, as the goal table reads it.
std::string counter(const char* name, int corpus) { return std::string(name) + "@" + corpusName(corpus); }

// The scene's working folder (its settings and recovery copy go there);
// unlike the scene, it is removed at exit.
QTemporaryDir& sceneFolder() {
    static QTemporaryDir folder;
    return folder;
}

// The program's windows next to a plain editor of the same size and font.
struct Scene {
    QtPlatform platform;
    WindowSet windows;
    QPlainTextEdit plain;
    int corpus = -1;
    std::string bytes;
    QByteArray fileBytes;  // the same, as "Öffnen" reads a file
    QString plainText;

    Scene() {
        QDir::setCurrent(sceneFolder().path());
        windows = createWindowSet(platform);
        windows.Form1->show();
        windows.Form1->resize(800, 600);
        QApplication::processEvents();
        TextWindow& memo = *windows.Form1->MemArbeitsfenster;
        plain.setFont(memo.font());
        plain.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        plain.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        plain.show();
        plain.resize(memo.size());
        QApplication::processEvents();
    }
    TForm1& form() { return *windows.Form1; }
    TextWindow& memo() { return *windows.Form1->MemArbeitsfenster; }

    // Both editors empty, the text of the corpus at hand.
    void use(int wanted) {
        if (corpus == wanted) return;
        plain.clear();
        memo().clear();
        QApplication::processEvents();
        corpus = wanted;
        bytes = corpusBytes(corpus, documentMegabytes());
        fileBytes = QByteArray::fromStdString(bytes);
        plainText = documentTextFromBytes(bytes);
    }

    double timePlainLoad() {
        plain.clear();
        QApplication::processEvents();
        const auto start = Clock::now();
        plain.setPlainText(plainText);
        return secondsSince(start);
    }

    // Opens the corpus in the program's window: the seconds until the first
    // screen is painted and until the document is complete.
    std::pair<double, double> timeOpen() {
        memo().clear();
        QApplication::processEvents();
        const auto start = Clock::now();
        memo().loadFileBytes(fileBytes);  // the change signal brings the status labels up to date
        memo().viewport()->repaint();
        const double firstScreen = secondsSince(start);
        while (memo().isLoading()) QApplication::processEvents(QEventLoop::AllEvents);
        return {firstScreen, secondsSince(start)};
    }
};

Scene& scene() {
    static Scene* instance = new Scene;  // lives to the end: its windows must not outlast the application
    return *instance;
}

void Open(benchmark::State& state) {
    Scene& s = scene();
    const int corpus = static_cast<int>(state.range(0));
    s.use(corpus);
    for (auto _ : state) {
        const double baseline = s.timePlainLoad();
        const auto [firstScreen, complete] = s.timeOpen();
        const QString shown = s.form().LabShowZeilenAnz->text();

        // A width change: one step of dragging the window's edge (handled and
        // painted, the count following between events), then until counted.
        const auto start = Clock::now();
        s.form().resize(s.form().width() - 16, s.form().height());
        QApplication::processEvents();
        const double step = secondsSince(start);
        benchmark::DoNotOptimize(s.memo().count());
        const double count = secondsSince(start);
        // The drag ends: the longest the window does not answer while the
        // lines are laid out and counted at the new width.
        s.form().resize(s.form().width() + 16, s.form().height());
        QApplication::processEvents();
        double longestPause = 0;
        for (auto last = Clock::now(); secondsSince(start) < count + 1.5; last = Clock::now()) {
            QApplication::processEvents();
            longestPause = std::max(longestPause, secondsSince(last));
        }

        state.counters["setPlainText_s"] = baseline;
        state.counters[counter("first_screen_ratio", corpus)] = firstScreen / baseline;
        state.counters[counter("complete_ratio", corpus)] = complete / baseline;
        state.counters[counter("width_ratio", corpus)] = count / baseline;
        state.counters[counter("resize_step_ms", corpus)] = step * 1e3;
        state.counters[counter("settle_pause_ms", corpus)] = longestPause * 1e3;
        state.counters["lines"] = shown.toDouble();
    }
}

// The wrap model alone counting every hard line of the corpus on one core, at
// the window's line width: what the count after a width change costs a core.
void WrapCount(benchmark::State& state) {
    Scene& s = scene();
    const int corpus = static_cast<int>(state.range(0));
    s.use(corpus);
    const QStringList blocks = s.plainText.split(QLatin1Char('\n'));
    const QTextDocument& doc = *s.memo().document();
    const auto model = WrapModel::forFont(doc.defaultFont(), doc.defaultTextOption());
    if (!model) {
        state.SkipWithError("the window's font is not fixed-pitch");
        return;
    }
    const int width = static_cast<int>((s.memo().viewport()->width() - 2 * doc.documentMargin()) * 64);
    for (auto _ : state) {
        const auto start = Clock::now();
        long long lines = 0;
        for (const QString& block : blocks) lines += model->lineCount(block, width);
        state.counters[counter("model_count_ms", corpus)] = secondsSince(start) * 1e3;
        state.counters["lines"] = static_cast<double>(lines);
    }
}

void sendKey(QWidget& target, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&target, &release);
}

// Puts the caret at the end of a block in the middle, a different block on every call.
void placeCaretInMiddle(QPlainTextEdit& edit, int call) {
    const QTextDocument& doc = *edit.document();
    const QTextBlock block = doc.findBlockByNumber(doc.blockCount() / 2 + 11 * call);
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(block.position() + block.length() - 1);
    edit.setTextCursor(cursor);
}

// Types a word and a space: Qt lays out the whole block on every key, so
// the words keep the block from turning into one ever longer word.
void typeKey(QWidget& target, int index) {
    if (index % 5 == 4) {
        sendKey(target, Qt::Key_Space, QStringLiteral(" "));
    } else {
        sendKey(target, Qt::Key_A + index % 5, QString(QChar(u'a' + index % 5)));
    }
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Type(benchmark::State& state) {
    Scene& s = scene();
    const int corpus = static_cast<int>(state.range(0));
    s.use(corpus);
    if (s.plain.document()->characterCount() < 2) s.timePlainLoad();
    if (s.memo().document()->characterCount() < 2) s.timeOpen();
    s.plain.setFocus();
    int repetition = 0;
    // Keys go to both editors in alternating small batches, so a busy
    // moment of the machine falls on both; the figure is the median ratio.
    constexpr int kRounds = 40;
    constexpr int kBatch = 10;
    constexpr int kStatus = 2000;
    for (auto _ : state) {
        placeCaretInMiddle(s.plain, repetition);
        placeCaretInMiddle(s.memo(), repetition);
        ++repetition;
        std::vector<double> ratios;
        std::vector<double> plainKeys;
        for (int round = 0; round < kRounds; ++round) {
            auto start = Clock::now();
            for (int i = 0; i < kBatch; ++i) typeKey(s.plain, i);
            const double plainKey = secondsSince(start) / kBatch;
            start = Clock::now();
            for (int i = 0; i < kBatch; ++i) typeKey(s.memo(), i);
            const double memoKey = secondsSince(start) / kBatch;
            ratios.push_back(memoKey / plainKey);
            plainKeys.push_back(plainKey);
        }
        // The status after a caret move: column and often line change, as after a key.
        std::vector<double> status;
        QTextCursor cursor = s.memo().textCursor();
        for (int i = 0; i < kStatus; ++i) {
            cursor.movePosition(QTextCursor::NextCharacter);
            s.memo().setTextCursor(cursor);
            const auto start = Clock::now();
            s.form().StatusUpdate();
            status.push_back(secondsSince(start));
        }
        state.counters["plain_key_us"] = median(plainKeys) * 1e6;
        state.counters[counter("key_ratio", corpus)] = median(ratios);
        state.counters[counter("status_us", corpus)] = median(status) * 1e6;
        state.counters["lines"] = s.memo().count();
    }
}

// Keys at the end of the longest hard line the window accepts, a line of
// German words, against the plain editor holding the same line.
void LongLine(benchmark::State& state) {
    Scene& s = scene();
    std::string line = generateGermanText(2 * static_cast<size_t>(TextWindow::kMaxLineLength));
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::replace(line.begin(), line.end(), '\n', ' ');
    line.resize(static_cast<size_t>(TextWindow::kMaxLineLength) - 200);  // room for the keys typed
    s.corpus = -1;                                                       // the scene's corpus is gone from both editors
    s.memo().loadBytes(line);
    s.plain.setPlainText(documentTextFromBytes(line));
    for (QPlainTextEdit* edit : {static_cast<QPlainTextEdit*>(&s.memo()), &s.plain}) edit->moveCursor(QTextCursor::End);
    QApplication::processEvents();
    for (auto _ : state) {
        constexpr int kKeys = 10;
        std::vector<double> korvex;
        std::vector<double> plain;
        for (int round = 0; round < 4; ++round) {
            auto start = Clock::now();
            for (int i = 0; i < kKeys; ++i) typeKey(s.memo(), i);
            korvex.push_back(secondsSince(start) / kKeys);
            start = Clock::now();
            for (int i = 0; i < kKeys; ++i) typeKey(s.plain, i);
            plain.push_back(secondsSince(start) / kKeys);
        }
        state.counters["long_line_key_ms"] = median(korvex) * 1e3;
        state.counters["long_line_plain_key_ms"] = median(plain) * 1e3;
        state.counters["long_line_key_ratio"] = median(korvex) / median(plain);
    }
}

void Convert(benchmark::State& state) {
    Scene& s = scene();
    const int corpus = static_cast<int>(state.range(0));
    s.use(corpus);
    for (auto _ : state) {
        const double baseline = s.timePlainLoad();
        s.timeOpen();
        auto start = Clock::now();
        s.form().ButReplaceAllClick();
        while (s.memo().isLoading()) QApplication::processEvents(QEventLoop::AllEvents);
        const QString shown = s.form().LabShowZeilenAnz->text();
        const double convert = secondsSince(start);
        constexpr int kCalls = 1000;
        start = Clock::now();
        for (int i = 0; i < kCalls; ++i) benchmark::DoNotOptimize(typingtest::Anschlaege(s.form()));
        const double strokes = secondsSince(start) / kCalls;
        benchmark::DoNotOptimize(shown);
        state.counters[counter("rall_ratio", corpus)] = convert / baseline;
        state.counters[counter("anschlaege_ratio", corpus)] = strokes / baseline;
    }
}

// A fresh process opens, types into and saves the document: its peak
// memory and the three times, the program's window or the plain editor.
// The program's window can then print it to PDF files as well.
struct ChildRun {
    double peakMegabytes = 0;
    double openSeconds = 0;
    double keySeconds = 0;
    double saveSeconds = 0;
    double printSeconds = 0;
    int printedPages = 0;
};

ChildRun runChild(const char* kind, size_t megabytes, int corpus = Prose) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory-child"), QString::fromLatin1(kind),
                                                          QString::number(megabytes), QString::number(corpus)});
    child.waitForFinished(-1);
    const QList<QByteArray> fields = child.readAllStandardOutput().simplified().split(' ');
    ChildRun run;
    if (fields.size() != 6) return run;
    run.peakMegabytes = fields[0].toDouble() / 1024.0;
    run.openSeconds = fields[1].toDouble();
    run.keySeconds = fields[2].toDouble();
    run.saveSeconds = fields[3].toDouble();
    run.printSeconds = fields[4].toDouble();
    run.printedPages = fields[5].toInt();
    return run;
}

// The recovery copy of the unsaved document: the part on the GUI thread (the
// snapshot, which is all a typist can notice) and the whole copy until it is
// on disk, to a save of the plain editor's text (toPlainText and a write).
void RecoveryCopy(benchmark::State& state) {
    Scene& s = scene();
    if (s.plain.document()->characterCount() < 2) s.timePlainLoad();
    if (s.memo().document()->characterCount() < 2) s.memo().loadBytes(s.bytes);
    s.form().markChanged();
    RecoveryLink& link = *s.windows.Recovery;
    for (auto _ : state) {
        auto start = Clock::now();
        const QByteArray saved = s.plain.toPlainText().toLatin1();
        QFile file(sceneFolder().filePath(QStringLiteral("plain.txt")));
        if (!file.open(QIODevice::WriteOnly) || file.write(saved) != saved.size()) state.SkipWithError("write");
        file.close();
        const double plainSave = secondsSince(start);
        start = Clock::now();
        benchmark::DoNotOptimize(link.snapshot());
        const double snapshot = secondsSince(start);
        start = Clock::now();
        link.keeper().writeNowAndWait();
        const double whole = secondsSince(start);
        state.counters["copy_gui_ms"] = snapshot * 1e3;
        state.counters["copy_total_ms"] = whole * 1e3;
        state.counters["copy_gui_ratio"] = snapshot / plainSave;
        state.counters["copy_total_ratio"] = whole / plainSave;
    }
}

void Memory(benchmark::State& state) {
    const int corpus = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const ChildRun plain = runChild("plain", documentMegabytes(), corpus);
        const ChildRun korvex = runChild("korvex", documentMegabytes(), corpus);
        state.counters["plain_peak_MB"] = plain.peakMegabytes;
        state.counters[counter("memory_ratio", corpus)] = korvex.peakMegabytes / plain.peakMegabytes;
    }
}

// Open, one key and save at 200 MB, each process measured on its own; the
// program's window then prints the document, one job per page into one PDF file.
void Scale200(benchmark::State& state) {
    for (auto _ : state) {
        const ChildRun korvex = runChild("korvex-print", 200);
        const ChildRun plain = runChild("plain", 200);
        state.counters["korvex_peak_MB"] = korvex.peakMegabytes;
        state.counters["plain_peak_MB"] = plain.peakMegabytes;
        state.counters["korvex_open_s"] = korvex.openSeconds;
        state.counters["plain_open_s"] = plain.openSeconds;
        state.counters["korvex_key_ms"] = korvex.keySeconds * 1e3;
        state.counters["plain_key_ms"] = plain.keySeconds * 1e3;
        state.counters["korvex_save_s"] = korvex.saveSeconds;
        state.counters["plain_save_s"] = plain.saveSeconds;
        state.counters["korvex_print_s"] = korvex.printSeconds;
        state.counters["korvex_pages"] = korvex.printedPages;
    }
}

// The system's platform, but the print dialog is confirmed at once with
// every page going into one PDF file; the jobs are counted.
class PdfFilePlatform : public QtPlatform {
public:
    explicit PdfFilePlatform(const QString& file) {
        printer_.setOutputFormat(QPrinter::PdfFormat);
        printer_.setOutputFileName(file);
    }
    bool askPrintSetup(QWidget* /*parent*/) override { return true; }
    PrintJob& printJob() override { return job_; }
    int jobs() const { return job_.begun; }

private:
    struct CountingJob : QtPrintJob {
        using QtPrintJob::QtPrintJob;
        void BeginJob() override {
            QtPrintJob::BeginJob();
            ++begun;
        }
        int begun = 0;
    };
    QPrinter printer_{QPrinter::HighResolution};
    CountingJob job_{printer_};
};

// The plain editor opens, types into and saves the text.
ChildRun plainChildRun(const std::string& bytes, QFile& file) {
    ChildRun run;
    QPlainTextEdit plain;
    QFont font(QStringLiteral("Liberation Mono"));
    font.setPixelSize(13);
    plain.setFont(font);
    plain.show();
    plain.resize(798, 451);  // the text window's size in the program's window of 800 x 600
    QApplication::processEvents();
    auto start = Clock::now();
    plain.setPlainText(documentTextFromBytes(bytes));
    QApplication::processEvents();
    run.openSeconds = secondsSince(start);
    start = Clock::now();
    sendKey(plain, Qt::Key_A, QStringLiteral("a"));
    run.keySeconds = secondsSince(start);
    start = Clock::now();
    const QByteArray saved = plain.toPlainText().toLatin1();
    file.write(saved);
    file.close();
    run.saveSeconds = secondsSince(start);
    return run;
}

// The program's window opens, types into and saves the text, and prints it
// when asked; no run (-1 pages) when the saved text came out short.
ChildRun korvexChildRun(const std::string& bytes, QFile& file, const QDir& dir, bool print) {
    ChildRun run;
    QDir::setCurrent(dir.path());
    dir.mkdir(QStringLiteral("printed"));
    PdfFilePlatform platform(dir.filePath(QStringLiteral("printed/page.pdf")));
    WindowSet windows = createWindowSet(platform);
    windows.Form1->show();
    windows.Form1->resize(800, 600);
    QApplication::processEvents();
    TextWindow& memo = *windows.Form1->MemArbeitsfenster;
    auto start = Clock::now();
    memo.loadBytes(bytes);
    while (memo.isLoading()) QApplication::processEvents(QEventLoop::AllEvents);
    QApplication::processEvents();
    run.openSeconds = secondsSince(start);
    start = Clock::now();
    sendKey(memo, Qt::Key_A, QStringLiteral("a"));
    run.keySeconds = secondsSince(start);
    start = Clock::now();
    const std::string text = memo.text();
    file.write(text.data(), static_cast<qint64>(text.size()));
    file.close();
    run.saveSeconds = secondsSince(start);
    if (text.size() < bytes.size()) {
        run.printedPages = -1;
    } else if (print) {
        start = Clock::now();
        printing::print(*windows.Form1);
        run.printSeconds = secondsSince(start);
        run.printedPages = platform.jobs();
    }
    return run;
}

// Opens, types into and saves a document of the given size ("korvex-print":
// and prints it), then writes the peak resident memory in kilobytes, the
// seconds each step took and the number of pages printed.
int memoryChild(const std::string& kind, size_t megabytes, int corpus) {
    const std::string bytes = corpusBytes(corpus, megabytes);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("saved.txt")));
    if (!file.open(QIODevice::WriteOnly)) return 1;
    const ChildRun run = kind == "plain" ? plainChildRun(bytes, file)
                                         : korvexChildRun(bytes, file, QDir(dir.path()), kind == "korvex-print");
    if (run.printedPages < 0) return 1;
    std::printf("%ld %.6f %.6f %.6f %.6f %d\n", peakResidentKilobytes(), run.openSeconds, run.keySeconds,
                run.saveSeconds, run.printSeconds, run.printedPages);
    return 0;
}

BENCHMARK(Open)->Arg(Prose)->Arg(German)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(WrapCount)->Arg(Prose)->Arg(German)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(Type)->Arg(Prose)->Arg(German)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(Convert)->Arg(Prose)->Arg(German)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(RecoveryCopy)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(LongLine)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(Memory)->Arg(Prose)->Arg(German)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(Scale200)->Iterations(1)->Repetitions(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvex::bench

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--memory-child") == 0) {
        return korvex::bench::memoryChild(argv[2], static_cast<size_t>(std::atoi(argv[3])), std::atoi(argv[4]));
    }
    benchmark::Initialize(&argc, argv);
    korvex::bench::GoalTableReporter report;
    benchmark::RunSpecifiedBenchmarks(&report);
    benchmark::Shutdown();
    return 0;
}
