// Renders the program's windows to PNG files with the offscreen platform,
// so the layout can be looked at without a desktop:
//   korvex_render_windows OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTextStream>
#include <QWidget>

#include "app/windowset.h"
#include "dialogs/uInfo.h"
#include "dialogs/uKxMsgDlg.h"
#include "dialogs/uPhrasen.h"
#include "display/textwindow.h"
#include "platform/qtplatform.h"

namespace {

bool render(QWidget& window, const QDir& folder, const QString& name) {
    window.show();
    QApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    const bool saved = window.grab().save(path);
    QTextStream(stdout) << (saved ? "written: " : "failed: ") << path << '\n';
    window.hide();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    korvex::QtPlatform platform;
    const korvex::WindowSet windows = korvex::createWindowSet(platform);
    windows.Form1->show();  // lines are counted at the width the window shows
    QApplication::processEvents();
    windows.Form1->MemArbeitsfenster->loadBytes(
        "Sehr geehrte Damen und Herren,\r\n\r\nhiermit best\xE4tige ich den Eingang Ihres Schreibens vom "
        "3. Dezember und teile Ihnen mit, dass die Lieferung wie vereinbart erfolgen wird.\r\n\r\n"
        "Mit freundlichen Gr\xFC\xDF"
        "en\r\n");
    bool ok = render(*windows.Form1, folder, QStringLiteral("main-window"));
    ok = render(*windows.Form2, folder, QStringLiteral("info-window")) && ok;
    ok = render(*windows.Form3, folder, QStringLiteral("phrase-editor")) && ok;
    ok = render(*windows.KxMsgDlg, folder, QStringLiteral("question-dialog")) && ok;
    return ok ? 0 : 1;
}
