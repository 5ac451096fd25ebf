// The program as it starts, typing by itself until it is killed: DIR MODE
// starts in DIR, types a header and a few lines key by key (a key every
// 15 ms), then prints "fertig", the text and the header as hexadecimal
// Windows-1252 bytes and waits (the keys are ASCII: QTest types no others). MODE "stoppuhr" starts a typing test of one
// second first, so the window locks while the keys still come; MODE "dauer"
// types "Dauertext " over and over, without a pause. Ended unasked
// (a signal, the display gone), it keeps its text first, as the program does.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "app/windowset.h"
#include "display/documenttext.h"
#include "display/textwindow.h"
#include "document/headerfield.h"
#include "platform/qtplatform.h"
#include "platform/sessionend.h"

namespace {

const QString kHeader = QStringLiteral("Betreff: Notizen");
const QString kLines[] = {QStringLiteral("Erste Zeile, getippt"), QStringLiteral("zweite Zeile"),
                          QStringLiteral("dritte")};

std::string hex(const std::string& bytes) { return QByteArray::fromStdString(bytes).toHex().toStdString(); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: korvex_recovery_typist DIR tippen|stoppuhr\n");
        return 2;
    }
    QApplication app(argc, argv);
    QDir::setCurrent(QString::fromLocal8Bit(argv[1]));
    korvex::QtPlatform platform;
    korvex::WindowSet windows = korvex::createWindowSet(platform);
    const korvex::SessionEnd sessionEnd([&windows] { windows.Recovery->keeper().writeNowAndWait(); });
    korvex::startUp(windows, {});
    korvex::TForm1& form = *windows.Form1;
    if (std::strcmp(argv[2], "stoppuhr") == 0) {
        form.EdiTime->setText(QStringLiteral("1"));
        QTest::mouseClick(form.ButStart, Qt::LeftButton);
    }
    QTest::keyClicks(form.EdiKopfzeile, kHeader);
    QString keys;
    for (const QString& line : kLines) keys += line + QLatin1Char('\r');
    const bool endless = std::strcmp(argv[2], "dauer") == 0;
    if (endless) keys = QStringLiteral("Dauertext ");
    int next = 0;
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, [&] {
        if (endless && next == keys.size()) next = 0;
        if (next == keys.size()) {
            typist.stop();
            std::printf("fertig %s %s\n", hex(form.MemArbeitsfenster->text()).c_str(),
                        hex(korvex::toCp1252(form.EdiKopfzeile->text())).c_str());
            std::fflush(stdout);
            return;
        }
        const QChar key = keys[next++];
        if (key == QLatin1Char('\r')) {
            QTest::keyClick(form.MemArbeitsfenster, Qt::Key_Return);
        } else {
            QTest::keyClicks(form.MemArbeitsfenster, QString(key));
        }
    });
    typist.start(15);
    return QApplication::exec();
}
