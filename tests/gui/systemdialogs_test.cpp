// The system's dialogs as the program shows them: in German whatever the
// system's language.
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/germanqt.h"
#include "app/uKorvex21.h"
#include "document/headerfield.h"
#include "support/mainwindowfixture.h"

namespace korvex::testing {
namespace {

// Acts on the next modal dialog of the kind given once it shows; one that
// never shows, or stays open, is rejected after a while so no test hangs.
template <class Dialog>
void whenShown(const std::function<void(Dialog&)>& act) {
    auto* poll = new QTimer(qApp);
    auto remaining = std::make_shared<int>(500);
    QObject::connect(poll, &QTimer::timeout, [poll, remaining, act] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            act(*dialog);
        } else if (--*remaining == 0) {
            poll->deleteLater();
            ADD_FAILURE() << "no " << Dialog::staticMetaObject.className() << " showed";
            if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget())) other->reject();
        }
    });
    poll->start(10);
}

QStringList buttonTexts(const QWidget& dialog) {
    QStringList texts;
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) texts << button->text();
    return texts;
}

QStringList actionTexts(QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) texts << action->text().section(QLatin1Char('\t'), 0, 0);
    delete menu;
    return texts;
}

class SystemDialogsTest : public MainWindowTest {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(installGermanQtTexts(*qApp)) << "Qt's German translations are missing (qt6-translations-l10n)";
    }
};

TEST_F(SystemDialogsTest, FileDialogsAndContextMenusSpeakGerman) {
    QtPlatform system;
    QString openTitle;
    QStringList openButtons;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        openTitle = dialog.windowTitle();
        openButtons = buttonTexts(dialog);
        dialog.reject();
    });
    EXPECT_FALSE(system.askOpenFileName(&form(), workingDir.path()));
    EXPECT_EQ(openTitle, "Öffnen");
    EXPECT_TRUE(openButtons.contains("&Öffnen")) << openButtons.join(", ").toStdString();
    EXPECT_TRUE(openButtons.contains("Abbrechen")) << openButtons.join(", ").toStdString();

    QString saveTitle;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        saveTitle = dialog.windowTitle();
        dialog.reject();
    });
    EXPECT_FALSE(system.askSaveFileName(&form(), workingDir.path()));
    EXPECT_EQ(saveTitle, "Speichern unter");

    for (QStringList menu : {actionTexts(form().EdiKopfzeile->createStandardContextMenu()),
                             actionTexts(memo().createStandardContextMenu())}) {
        menu.removeAll(QString());  // separators
        EXPECT_TRUE(menu.contains("Alles auswählen")) << menu.join(", ").toStdString();
        EXPECT_TRUE(menu.contains("&Kopieren")) << menu.join(", ").toStdString();
        EXPECT_FALSE(menu.contains("Select All"));
    }
}

}  // namespace
}  // namespace korvex::testing
