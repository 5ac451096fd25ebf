#pragma once

class QCoreApplication;

namespace korvex {

// Qt's own texts in German, whatever the system's language, as the rest of
// the program speaks: the buttons and labels of the file, font, colour and
// print dialogs and the context menus of the text fields. False when Qt's
// German translations are not installed (Debian: qt6-translations-l10n;
// Windows: the translations folder beside the program).
bool installGermanQtTexts(QCoreApplication& app);

}  // namespace korvex
