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
    for (const QString& folder : folders) {
        // "qt_de" gathers the catalogues of every Qt module.
        if (translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qt"), QStringLiteral("_"),
                             folder)) {
            return QCoreApplication::installTranslator(translator);
        }
    }
    delete translator;
    return false;
}

}  // namespace korvex
