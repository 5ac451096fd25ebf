// Korvex: a small German plain-text editor.
#include <QApplication>

#include "app/windowset.h"
#include "platform/qtplatform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    korvex::QtPlatform platform;
    const korvex::WindowSet windows = korvex::createWindowSet(platform);
    windows.Form1->show();
    return QApplication::exec();
}
