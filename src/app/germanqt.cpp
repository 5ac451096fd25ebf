#include "app/germanqt.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace korvex {

bool installGermanQtTexts(QCoreApplication& app) {
    // Qt's own folder where Qt is installed; beside the program where the
    // deployment put them (Windows).
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QStringList folders = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                 programFolder.filePath(QStringLiteral("translations")), programFolder.path()};
    auto* translator = new QTranslator(&app);
    // "qtbase" holds the texts of the widgets and dialogs, and loads faster
    // than "qt", which gathers every module's and is what windeployqt writes.
    for (const QString& folder : folders) {
        for (const QString& catalogue : {QStringLiteral("qtbase"), QStringLiteral("qt")}) {
            if (translator->load(QLocale(QLocale::German, QLocale::Germany), catalogue, QStringLiteral("_"), folder)) {
                return QCoreApplication::installTranslator(translator);
            }
        }
    }
    delete translator;
    return false;
}

}  // namespace korvex
