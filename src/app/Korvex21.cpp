// Korvex: a small German plain-text editor.
#include <QApplication>
#include <QIcon>

#include "app/germanqt.h"
#include "app/windowset.h"
#include "platform/qtplatform.h"
#include "platform/sessionend.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    korvex::installGermanQtTexts(app);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/korvex32.png")));  // the application's own icon
    korvex::QtPlatform platform;
    korvex::WindowSet windows = korvex::createWindowSet(platform);
    // A logout or a shutdown ends the program unasked: the unsaved text is kept first.
    const korvex::SessionEnd sessionEnd([&windows] { windows.Recovery->keeper().writeNowAndWait(); });
    korvex::startUp(windows, QCoreApplication::arguments().mid(1));  // Qt has taken its own options out
    return QApplication::exec();
}
