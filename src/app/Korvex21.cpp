// Korvex: a small German plain-text editor.
#include <QIcon>

#include "app/germanqt.h"
#include "app/korvexapplication.h"
#include "app/windowset.h"
#include "platform/qtplatform.h"
#include "platform/sessionend.h"

int main(int argc, char** argv) {
    // Every argument names a file, also one that looks like an option of Qt's: Qt sees none of them.
    int programNameOnly = 1;
    korvex::KorvexApplication app(programNameOnly, argv);
    korvex::installGermanQtTexts(app);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/korvex32.png")));  // the application's own icon
    korvex::QtPlatform platform;
    korvex::WindowSet windows = korvex::createWindowSet(platform);
    // A logout or a shutdown ends the program unasked: the unsaved text is kept first.
    const korvex::SessionEnd sessionEnd([&windows] { windows.Recovery->keeper().writeNowAndWait(); });
    app.whenOutOfMemory([&windows] { windows.Form1->reportOutOfMemory(); });
    korvex::startUp(windows, korvex::filesNamed(argc, argv));
    return QApplication::exec();
}
