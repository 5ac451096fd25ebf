#include "platform/printdialog.h"

#include <QLineEdit>
#include <QPageRanges>
#include <QPrintEngine>
#include <QPrinter>
#include <QRadioButton>

namespace korvex {

namespace {

// The print system's job options as Qt keeps them on the printer: a list of
// names and values (its private key for them, stable since Qt 5).
const auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// Takes an option off the printer; its value, empty when it was not set.
QString takeCupsOption(QPrinter& printer, QLatin1String name) {
    QPrintEngine* engine = printer.printEngine();
    QStringList options = engine->property(kCupsOptions).toStringList();
    QString value;
    for (qsizetype i = 0; i + 1 < options.size();) {
        if (options[i] == name) {
            value = options[i + 1];
            options.remove(i, 2);
        } else {
            i += 2;
        }
    }
    engine->setProperty(kCupsOptions, options);
    return value;
}

std::vector<PageChoice::Range> rangesOf(const QPageRanges& pages) {
    std::vector<PageChoice::Range> ranges;
    for (const QPageRanges::Range& range : pages.toRangeList()) ranges.push_back({range.from, range.to});
    return ranges;
}

}  // namespace

std::optional<std::vector<PageChoice::Range>> pageListFromText(const QString& text) {
    std::vector<PageChoice::Range> ranges;
    for (const QString& item : text.split(QLatin1Char(','))) {
        const QStringList ends = item.split(QLatin1Char('-'));
        if (ends.size() > 2) return std::nullopt;
        bool fromOk = false;
        bool toOk = false;
        const int from = ends.front().trimmed().toInt(&fromOk);
        const int to = ends.back().trimmed().toInt(&toOk);
        if (!fromOk || !toOk || from < 1 || to < from) return std::nullopt;
        ranges.push_back({from, to});
    }
    return ranges;
}

PrintSetupDialog::PrintSetupDialog(QPrinter& printer, QWidget* parent) : QPrintDialog(&printer, parent) {
    setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
               QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintPageRange);
    setMinMax(1, 9'999'999);
}

void PrintSetupDialog::accept() {
    auto* listChosen = findChild<QRadioButton*>(QStringLiteral("pagesRadioButton"));
    auto* allChosen = findChild<QRadioButton*>(QStringLiteral("printAll"));
    const auto* list = findChild<QLineEdit*>(QStringLiteral("pagesLineEdit"));
    std::optional<std::vector<PageChoice::Range>> pages;
    if (listChosen && allChosen && list && listChosen->isChecked()) pages = pageListFromText(list->text());
    // A list read here goes on as "all pages" (odd or even stay chosen); one
    // that is no list is left to the dialog, which says so.
    if (pages) allChosen->setChecked(true);
    QPrintDialog::accept();
    if (result() != QDialog::Accepted) {
        if (pages) listChosen->setChecked(true);  // the dialog stays open, as the user left it
        return;
    }
    chosenPages_ = takePageChoice(*printer());
    if (pages) chosenPages_.ranges = *pages;
}

PageChoice takePageChoice(QPrinter& printer) {
    PageChoice choice;
    const QString pageSet = takeCupsOption(printer, QLatin1String("page-set"));
    if (pageSet == QLatin1String("odd")) choice.parity = PageChoice::Parity::Odd;
    if (pageSet == QLatin1String("even")) choice.parity = PageChoice::Parity::Even;
    // A list of pages ("1-3,5") the dialog itself would leave to the print system.
    choice.ranges = rangesOf(QPageRanges::fromString(takeCupsOption(printer, QLatin1String("page-ranges"))));
    if (printer.printRange() == QPrinter::PageRange && !printer.pageRanges().isEmpty()) {
        choice.ranges = rangesOf(printer.pageRanges());
        // The dialog counts odd and even from the range's first page; the choice counts page numbers.
        if (printer.fromPage() % 2 == 0 && choice.parity != PageChoice::Parity::All) {
            choice.parity = choice.parity == PageChoice::Parity::Odd ? PageChoice::Parity::Even
                                                                     : PageChoice::Parity::Odd;
        }
    }
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPageRanges(QPageRanges());
    return choice;
}

}  // namespace korvex
