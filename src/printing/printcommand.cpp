#include "printing/printcommand.h"

#include "app/uKorvex21.h"
#include "platform/platform.h"
#include "printing/previewwindow.h"
#include "printing/printrun.h"

namespace korvex::printing {

void print(TForm1& form) {
    Platform& platform = form.platform();
    if (!platform.askPrintSetup(&form)) {
        form.FocusTextWindow();
        return;
    }
    const std::optional<bool> withHeader = askForHeader(form);
    if (!withHeader) return;
    const PageChoice pages = platform.chosenPages();
    sendPages(platform, form, prepareRun(form, *withHeader), pages);
    form.FocusTextWindow();
}

void preview(TForm1& form) {
    const std::optional<bool> withHeader = askForHeader(form);
    if (!withHeader) return;
    PrintPreviewWindow window(form, prepareRun(form, *withHeader));
    window.exec();
    form.FocusTextWindow();
}

}  // namespace korvex::printing
