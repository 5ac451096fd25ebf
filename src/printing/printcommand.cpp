#include "printing/printcommand.h"

#include "platform/platform.h"
#include "printing/previewwindow.h"
#include "printing/printrun.h"

namespace korvex::printing {

void print(MainWindow& window) {
    Platform& platform = window.platform();
    if (!platform.askPrintSetup(&window.dialogParent())) {
        window.focusTextWindow();
        return;
    }
    const std::optional<bool> withHeader = askForHeader(window);
    if (!withHeader) return;
    const PageChoice pages = platform.chosenPages();
    sendPages(platform, window.dialogParent(), prepareRun(window, *withHeader), pages);
    window.focusTextWindow();
}

void preview(MainWindow& window) {
    const std::optional<bool> withHeader = askForHeader(window);
    if (!withHeader) return;
    PrintPreviewWindow previewWindow(window, prepareRun(window, *withHeader));
    previewWindow.exec();
    window.focusTextWindow();
}

}  // namespace korvex::printing
