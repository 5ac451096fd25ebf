// The system's dialogs and dates as the program shows them: in German whatever
// the system's language, and the font dialog preset with the font the user sees.
#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/germanqt.h"
#include "app/uKorvex21.h"
#include "document/headerfield.h"
#include "platform/qtplatform.h"
#include "support/mainwindowfixture.h"
#include "support/waiting.h"
#include "widgets/controls.h"

namespace korvex::testing {
namespace {

// The fake platform, but with the system's own font dialog.
class SystemFontDialog : public FakePlatform {
public:
    std::optional<FontChoice> askFont(QWidget* parent, const FontChoice& initial) override {
        return QtPlatform::askFont(parent, initial);
    }
};

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

class FontDialogTest : public SystemDialogsTest {
protected:
    SystemFontDialog systemFonts;

    void SetUp() override {
        ASSERT_TRUE(workingDir.isValid());
        systemFonts.workingDirectory = workingDir.path();
        windows = createWindowSet(systemFonts);
        windows.Form1->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(windows.Form1.get(), kPatienceMs));
    }
};

// Without a locale (LANG unset or C, as on many a server or in a bare
// session), the date field and "Dat" wrote "8 Dec 2026" into German text.
TEST(ShortDate, RegressionDateSpokeEnglishWithoutALocale) {
    const QDate date(2026, 12, 8);
    EXPECT_EQ(shortDate(date, QLocale::c()), QStringLiteral("08.12.26"));
    EXPECT_EQ(shortDate(date, QLocale(QLocale::English, QLocale::UnitedStates)), QStringLiteral("12/8/26"));
}

TEST_F(FontDialogTest, RegressionDialogOpenedOnAnotherFaceAndOkChangedTheFont) {
    const QFont before = memo().font();  // "Courier New", 13 pixels, a face of that name may be missing
    QFont shown;
    QString title;
    whenShown<QFontDialog>([&](QFontDialog& dialog) {
        shown = dialog.currentFont();
        title = dialog.windowTitle();
        whenShown<QColorDialog>([](QColorDialog& colours) { colours.accept(); });
        dialog.accept();  // OK without a change
    });
    click(form().SpButFonts);
    EXPECT_EQ(title, "Schriftart auswählen");
    // The face and size the user sees in the text window.
    EXPECT_EQ(shown.family(), QFontInfo(before).family());
    EXPECT_EQ(shown.pointSize(), QFontInfo(before).pointSize());
    EXPECT_FALSE(shown.bold());
    // Unchanged, down to the name and the pixel size the settings file keeps.
    EXPECT_EQ(memo().font(), before);
    EXPECT_EQ(memo().font().family(), "Courier New");
    EXPECT_EQ(memo().font().pixelSize(), 13);
    EXPECT_EQ(form().EdiKopfzeile->font(), before);
    // The colour step, preset with the system's window text colour, left as it was: the name stays ("clBlack" came).
    EXPECT_EQ(memo().colours().text, colours::WindowText);
    EXPECT_EQ(form().EdiKopfzeile->colours().text, colours::WindowText);
}

TEST_F(FontDialogTest, ChangingOnlyTheStyleKeepsTheFacesNameAndSize) {
    whenShown<QFontDialog>([](QFontDialog& dialog) {
        // The style "Bold" chosen, face and size left as shown.
        dialog.setCurrentFont(QFont(dialog.currentFont().family(), dialog.currentFont().pointSize(), QFont::Bold));
        whenShown<QColorDialog>([](QColorDialog& colours) { colours.accept(); });
        dialog.accept();
    });
    click(form().SpButFonts);
    EXPECT_EQ(memo().font().family(), "Courier New");
    EXPECT_EQ(memo().font().pixelSize(), 13);
    EXPECT_TRUE(memo().font().bold());
}

}  // namespace
}  // namespace korvex::testing
