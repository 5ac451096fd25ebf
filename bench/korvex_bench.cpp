// Measurements of the text window on big documents. Every figure is a
// ratio to a plain QPlainTextEdit doing the corresponding work in the same
// run, so machines of different speed give comparable numbers.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
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
#include "display/documenttext.h"
#include "display/textwindow.h"
#include "display/wrapmodel.h"
#include "freezes.h"
#include "goaltable.h"
#include "platform/printjob.h"
#include "platform/qtplatform.h"
#include "printing/printcommand.h"
#include "search/finddialog.h"
#include "search/textmatch.h"
#include "typingtest/typingtest.h"
#include "widgets/controls.h"

namespace korvex::bench {
namespace {

size_t documentMegabytes() {
    const char* value = std::getenv("KORVEX_BENCH_MB");
    return value ? static_cast<size_t>(std::atoi(value)) : 50;
}

// A figure of /proc/self/status in kB: "VmHWM:" the peak, "VmRSS:" now.
long residentKilobytes(const char* field = "VmHWM:") {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
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

// The corpus as "Öffnen" reads a file: one buffer of its bytes, no other copy.
QByteArray fileBytesOf(int corpus, size_t megabytes) {
    return QByteArray::fromStdString(corpusBytes(corpus, megabytes));
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
    // The GUI thread's processor time for the last of each load timed below.
    double plainLoadCpu = 0;
    double openCpu = 0;

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
        const double cpu = threadCpuSeconds();
        plain.setPlainText(plainText);
        plainLoadCpu = threadCpuSeconds() - cpu;
        return secondsSince(start);
    }

    // Opens the corpus in the program's window: the seconds until the first
    // screen is painted and until the document is complete.
    std::pair<double, double> timeOpen() {
        memo().clear();
        QApplication::processEvents();
        const auto start = Clock::now();
        const double cpu = threadCpuSeconds();
        memo().loadFileBytes(fileBytes);  // the change signal brings the status labels up to date
        memo().viewport()->repaint();
        const double firstScreen = secondsSince(start);
        while (memo().isLoading()) QApplication::processEvents(QEventLoop::AllEvents);
        openCpu = threadCpuSeconds() - cpu;
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
        s.form().resize(s.form().width() + 16, s.form().height());
        benchmark::DoNotOptimize(s.memo().count());

        state.counters["setPlainText_s"] = baseline;
        state.counters[counter("first_screen_ratio", corpus)] = firstScreen / baseline;
        state.counters[counter("complete_ratio", corpus)] = complete / baseline;
        state.counters[counter("complete_cpu_ratio", corpus)] = s.openCpu / s.plainLoadCpu;
        state.counters[counter("width_ratio", corpus)] = count / baseline;
        state.counters[counter("resize_step_ms", corpus)] = step * 1e3;
        state.counters["lines"] = shown.toDouble();
    }
}

// What a person feels after a width change: the longest the window did not
// answer from the first step on, and how long after the last step the
// re-wrapped text was on screen and "Zeilen:" showed its final count.
struct WidthChange {
    double freezeMs = 0;
    double visibleMs = 0;
    double linesMs = 0;
};

// Moves the window's edge by `dx` pixels `steps` times, `gap` seconds apart
// (events run between), and waits until the lines are counted anew.
WidthChange changeWidth(Scene& s, FreezeWatch& watch, RewrapSeen& rewrap, int steps, int dx, double gap) {
    const QLabel& label = *s.form().LabShowZeilenAnz;
    QString lines = label.text();
    Clock::time_point linesShown;
    watch.onTick([&](Clock::time_point now) {
        if (label.text() != lines) {
            lines = label.text();
            linesShown = now;
        }
    });
    bool recounted = false;
    Clock::time_point recountedAt;
    const auto connection = QObject::connect(&s.memo(), &TextWindow::shownLinesRecounted, [&] {
        recounted = true;
        recountedAt = Clock::now();
    });
    watch.start();
    for (int step = 0; step < steps; ++step) {
        if (step > 0) runEventsFor(gap);
        s.form().resize(s.form().width() + dx, s.form().height());
    }
    const Clock::time_point stopped = Clock::now();
    rewrap.arm();
    runEventsUntil([&] { return recounted && rewrap.seen(); }, 60);
    runEventsFor(0.3);  // and what comes once the window is idle
    WidthChange change;
    change.freezeMs = watch.stop();
    watch.onTick({});
    QObject::disconnect(connection);
    const auto msAfterStop = [stopped](Clock::time_point when) {
        return when > stopped ? std::chrono::duration<double>(when - stopped).count() * 1e3 : 0.0;
    };
    change.visibleMs = rewrap.seen() ? msAfterStop(rewrap.when()) : 60e3;
    change.linesMs = recounted ? msAfterStop(std::max(linesShown, recountedAt)) : 60e3;
    return change;
}

// How long the window does not answer as people use it: the load, the first
// width change after it (to the plain editor's relayout of the same text, the
// first after its own load), a drag of the edge in ten steps at 60 Hz, and
// when the re-wrapped text and the final count show after the edge stops.
void Feel(benchmark::State& state) {
    Scene& s = scene();
    const int corpus = static_cast<int>(state.range(0));
    s.use(corpus);
    FreezeWatch watch;
    RewrapSeen rewrap(s.memo());
    const int width = s.form().width();
    for (auto _ : state) {
        s.timePlainLoad();
        runEventsFor(0.3);
        watch.start();
        s.plain.resize(s.plain.width() - 16, s.plain.height());
        runEventsFor(0.3);
        const double plainRelayout = watch.stop();
        s.plain.resize(s.plain.width() + 16, s.plain.height());

        s.memo().clear();
        s.form().resize(width, s.form().height());
        runEventsFor(0.3);
        watch.start();
        s.memo().loadFileBytes(s.fileBytes);
        runEventsUntil([&] { return !s.memo().isLoading(); }, 600);
        runEventsFor(1.0);  // and what the window does when idle after it
        const double loadFreeze = watch.stop();

        const WidthChange first = changeWidth(s, watch, rewrap, 1, -16, 0);
        const WidthChange drag = changeWidth(s, watch, rewrap, 10, 8, 1.0 / 60);

        state.counters[counter("load_freeze_ms", corpus)] = loadFreeze;
        state.counters[counter("plain_relayout_ms", corpus)] = plainRelayout;
        state.counters[counter("first_width_freeze_ms", corpus)] = first.freezeMs;
        state.counters[counter("first_width_freeze_ratio", corpus)] = first.freezeMs / plainRelayout;
        state.counters[counter("drag_freeze_ms", corpus)] = drag.freezeMs;
        state.counters[counter("rewrap_visible_ms", corpus)] = drag.visibleMs;
        state.counters[counter("lines_final_ms", corpus)] = drag.linesMs;
        state.counters[counter("first_rewrap_visible_ms", corpus)] = first.visibleMs;
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
            s.form().updateStatus();
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
    FreezeWatch watch;
    for (auto _ : state) {
        const double baseline = s.timePlainLoad();
        s.timeOpen();
        runEventsFor(1.0);  // what the window does when idle after the load is no part of RAll
        auto start = Clock::now();
        watch.start();
        s.form().ButReplaceAllClick();
        while (s.memo().isLoading()) QApplication::processEvents(QEventLoop::AllEvents);
        const QString shown = s.form().LabShowZeilenAnz->text();
        const double convert = secondsSince(start);
        runEventsFor(0.5);
        state.counters[counter("rall_freeze_ms", corpus)] = watch.stop();
        constexpr int kCalls = 1000;
        start = Clock::now();
        for (int i = 0; i < kCalls; ++i) benchmark::DoNotOptimize(typingtest::Anschlaege(s.form()));
        const double strokes = secondsSince(start) / kCalls;
        benchmark::DoNotOptimize(shown);
        state.counters[counter("rall_ratio", corpus)] = convert / baseline;
        state.counters[counter("anschlaege_ratio", corpus)] = strokes / baseline;
    }
}

// What "Alle ersetzen" replaces: as the dialog starts (case ignored, not
// whole words), the common word or syllable of the corpus whose count
// comes nearest to half a million (no single word of either corpus occurs
// that often), with its count.
std::pair<QString, size_t> textOfAboutHalfAMillion(const QString& text) {
    const std::u16string_view units(reinterpret_cast<const char16_t*>(text.data()), static_cast<size_t>(text.size()));
    std::pair<QString, size_t> best{QString(), 0};
    const auto distance = [](size_t n) { return n > 500'000 ? n - 500'000 : 500'000 - n; };
    for (const char* word : {"der", "die", "und", "ung", "en", "er", "ie"}) {
        const size_t count = search::Matcher(QString::fromLatin1(word).toStdU16String(), {}).findAll(units).size();
        if (best.first.isEmpty() || distance(count) < distance(best.second)) best = {QString::fromLatin1(word), count};
    }
    return best;
}

// "Weitersuchen" from the start to the only match, near the end, and
// "Alle ersetzen" of a word with about half a million matches (the window
// keeps painting: the event loop's longest gap), each to setPlainText of
// the same text.
void Search(benchmark::State& state) {
    Scene& s = scene();
    const int corpus = static_cast<int>(state.range(0));
    s.use(corpus);
    const auto [word, matches] = textOfAboutHalfAMillion(s.plainText);
    for (auto _ : state) {
        const double baseline = s.timePlainLoad();
        s.timeOpen();
        QTextCursor cursor(s.memo().document());
        cursor.movePosition(QTextCursor::End);
        cursor.movePosition(QTextCursor::PreviousBlock);
        cursor.insertText(QStringLiteral("Suchziel "));
        s.memo().moveCursor(QTextCursor::Start);
        s.form().Suchen2Click();
        auto& dialog = *s.form().findChild<search::FindDialog*>(QStringLiteral("FindDialog"));
        dialog.EdiSuchen->setText(QStringLiteral("suchziel"));
        dialog.ChkGrossKlein->setChecked(false);
        dialog.ChkGanzesWort->setChecked(false);
        auto start = Clock::now();
        dialog.ButWeitersuchen->click();
        const double find = secondsSince(start);
        if (s.memo().textCursor().selectedText() != QStringLiteral("Suchziel")) state.SkipWithError("not found");

        s.form().Ersetzen1Click();
        dialog.EdiSuchen->setText(word);
        dialog.EdiErsetzen->setText(word.toUpper() + QStringLiteral("X"));
        FreezeWatch watch;
        watch.start();
        start = Clock::now();
        const double cpu = threadCpuSeconds();
        dialog.ButAlleErsetzen->click();
        const double replace = secondsSince(start);
        const double replaceCpu = threadCpuSeconds() - cpu;
        const double freeze = watch.stop();
        dialog.hide();
        state.counters[counter("find_ratio", corpus)] = find / baseline;
        state.counters[counter("replace_all_ratio", corpus)] = replace / baseline;
        state.counters[counter("replace_all_cpu_ratio", corpus)] = replaceCpu / s.plainLoadCpu;
        state.counters[counter("replace_all_freeze_ms", corpus)] = freeze;
        state.counters[counter("replace_all_matches", corpus)] = static_cast<double>(matches);
        state.counters["setPlainText_s"] = baseline;
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

// The figures a fresh process of this program writes for `kind`; none when it failed.
std::vector<double> childFigures(const char* kind, size_t megabytes, int corpus) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory-child"), QString::fromLatin1(kind),
                                                          QString::number(megabytes), QString::number(corpus)});
    child.waitForFinished(-1);
    std::vector<double> figures;
    for (const QByteArray& field : child.readAllStandardOutput().simplified().split(' ')) {
        if (!field.isEmpty()) figures.push_back(field.toDouble());
    }
    return figures;
}

ChildRun runChild(const char* kind, size_t megabytes, int corpus = Prose) {
    const std::vector<double> fields = childFigures(kind, megabytes, corpus);
    ChildRun run;
    if (fields.size() != 6) return run;
    run.peakMegabytes = fields[0] / 1024.0;
    run.openSeconds = fields[1];
    run.keySeconds = fields[2];
    run.saveSeconds = fields[3];
    run.printSeconds = fields[4];
    run.printedPages = static_cast<int>(fields[5]);
    return run;
}

// Resident memory after a session (see sessionChild) to what it was after
// the load, and per byte of the text.
struct SessionMemory {
    double ratio = 0;
    double bytesPerByte = 0;
};

SessionMemory runSession(size_t megabytes, int corpus) {
    const std::vector<double> fields = childFigures("korvex-session", megabytes, corpus);
    if (fields.size() != 3) return {};
    return {fields[1] / fields[0], fields[1] * 1024 / fields[2]};
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
        const SessionMemory session = runSession(documentMegabytes(), corpus);
        state.counters[counter("session_memory_ratio", corpus)] = session.ratio;
        state.counters[counter("session_bytes_per_byte", corpus)] = session.bytesPerByte;
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
        const SessionMemory session = runSession(200, Prose);
        state.counters["session_memory_ratio@200MB"] = session.ratio;
        state.counters["session_bytes_per_byte@200MB"] = session.bytesPerByte;
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
    runEventsFor(1.0);  // and left alone a moment, as a reader does: what the window does then counts too
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
ChildRun korvexChildRun(QByteArray fileBytes, QFile& file, const QDir& dir, bool print) {
    ChildRun run;
    QDir::setCurrent(dir.path());
    dir.mkdir(QStringLiteral("printed"));
    PdfFilePlatform platform(dir.filePath(QStringLiteral("printed/page.pdf")));
    WindowSet windows = createWindowSet(platform);
    windows.Form1->show();
    windows.Form1->resize(800, 600);
    QApplication::processEvents();
    TextWindow& memo = *windows.Form1->MemArbeitsfenster;
    const size_t size = static_cast<size_t>(fileBytes.size());
    auto start = Clock::now();
    memo.loadFileBytes(fileBytes);  // as "Öffnen" does: the window keeps the bytes while it needs them
    fileBytes = QByteArray();
    while (memo.isLoading()) QApplication::processEvents(QEventLoop::AllEvents);
    QApplication::processEvents();
    run.openSeconds = secondsSince(start);
    runEventsFor(1.0);  // and left alone a moment, as a reader does: what the window does then counts too
    start = Clock::now();
    sendKey(memo, Qt::Key_A, QStringLiteral("a"));
    run.keySeconds = secondsSince(start);
    start = Clock::now();
    const std::string text = memo.text();
    file.write(text.data(), static_cast<qint64>(text.size()));
    file.close();
    run.saveSeconds = secondsSince(start);
    if (text.size() < size) {
        run.printedPages = -1;
    } else if (print) {
        start = Clock::now();
        printing::print(*windows.Form1);
        run.printSeconds = secondsSince(start);
        run.printedPages = platform.jobs();
    }
    return run;
}

// With KORVEX_BENCH_TRACE set, the resident memory after each step of a
// session goes to stderr, to find what grows.
void traceMemory(const char* step) {
    if (std::getenv("KORVEX_BENCH_TRACE")) std::fprintf(stderr, "%s: %ld kB\n", step, residentKilobytes("VmRSS:"));
}

// A session with the program's window: the text opened as "Öffnen" does, ten
// width changes each counted, a hundred keys in the middle, and a scroll from
// top to bottom. Writes the resident memory after the load and after the
// session, each once the window has been left alone a while (kB), and the
// text's size in bytes.
int sessionChild(size_t megabytes, int corpus) {
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QtPlatform platform;
    WindowSet windows = createWindowSet(platform);
    TForm1& form = *windows.Form1;
    form.show();
    form.resize(800, 600);
    QApplication::processEvents();
    TextWindow& memo = *form.MemArbeitsfenster;
    QByteArray fileBytes = fileBytesOf(corpus, megabytes);
    const qsizetype textBytes = fileBytes.size();
    memo.loadFileBytes(fileBytes);
    fileBytes = QByteArray();  // as after "Öffnen": the window keeps what it still needs
    runEventsUntil([&] { return !memo.isLoading(); }, 3600);
    // Left alone long enough for the window to give back what blocks off screen need not keep.
    const double settled = TextWindow::kReleaseLayoutsAfterMs / 1000.0 + 2.0;
    runEventsFor(settled);
    traceMemory("load");
    const long afterLoad = residentKilobytes("VmRSS:");

    bool recounted = false;
    QObject::connect(&memo, &TextWindow::shownLinesRecounted, [&] { recounted = true; });
    for (int change = 0; change < 10; ++change) {
        recounted = false;
        form.resize(form.width() + (change % 2 == 0 ? -16 : 16), form.height());
        runEventsUntil([&] { return recounted; }, 600);
        traceMemory("width change");
    }
    placeCaretInMiddle(memo, 0);
    for (int key = 0; key < 100; ++key) {
        typeKey(memo, key);
        QApplication::processEvents();
    }
    traceMemory("keys");
    QScrollBar& bar = *memo.verticalScrollBar();
    constexpr int kScrollSteps = 50;
    for (int step = 0; step <= kScrollSteps; ++step) {
        bar.setValue(bar.minimum() +
                     static_cast<int>((static_cast<qint64>(bar.maximum()) - bar.minimum()) * step / kScrollSteps));
        memo.viewport()->repaint();
        QApplication::processEvents();
    }
    traceMemory("scroll");
    runEventsFor(settled);                         // the recovery copy of the typing is due meanwhile
    windows.Recovery->keeper().writeNowAndWait();  // no copy on its way while measuring
    runEventsFor(0.5);
    std::printf("%ld %ld %lld\n", afterLoad, residentKilobytes("VmRSS:"), static_cast<long long>(textBytes));
    return 0;
}

// Opens, types into and saves a document of the given size ("korvex-print":
// and prints it), then writes the peak resident memory in kilobytes, the
// seconds each step took and the number of pages printed.
int memoryChild(const std::string& kind, size_t megabytes, int corpus) {
    if (kind == "korvex-session") return sessionChild(megabytes, corpus);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("saved.txt")));
    if (!file.open(QIODevice::WriteOnly)) return 1;
    const ChildRun run = kind == "plain" ? plainChildRun(corpusBytes(corpus, megabytes), file)
                                         : korvexChildRun(fileBytesOf(corpus, megabytes), file, QDir(dir.path()),
                                                          kind == "korvex-print");
    if (run.printedPages < 0) return 1;
    std::printf("%ld %.6f %.6f %.6f %.6f %d\n", residentKilobytes(), run.openSeconds, run.keySeconds, run.saveSeconds,
                run.printSeconds, run.printedPages);
    return 0;
}

BENCHMARK(Open)->Arg(Prose)->Arg(German)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(Feel)->Arg(Prose)->Arg(German)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(WrapCount)->Arg(Prose)->Arg(German)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(Type)->Arg(Prose)->Arg(German)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(Convert)->Arg(Prose)->Arg(German)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(Search)->Arg(Prose)->Arg(German)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
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
