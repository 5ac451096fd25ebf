#include "app/windowset.h"

#include <QFile>
#include <QFont>

#include "app/filedrop.h"

#include "dialogs/uInfo.h"
#include "dialogs/uKxMsgDlg.h"
#include "dialogs/uPhrasen.h"

namespace korvex {

namespace {

// The layout is sized for these faces; where the system lacks them, faces
// of the same metrics stand in.
void installFontSubstitutes() {
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
}

}  // namespace

WindowSet createWindowSet(Platform& platform) {
    installFontSubstitutes();
    WindowSet set;
    set.Form1 = std::make_unique<TForm1>(platform);
    set.Form2 = new TForm2(set.Form1.get());
    set.Form3 = new TForm3(*set.Form1);
    set.KxMsgDlg = new TKxMsgDlg(set.Form1.get());
    set.Form1->attachWindows(set.Form2, set.Form3, set.KxMsgDlg);
    set.Recovery = std::make_unique<RecoveryLink>(*set.Form1, *set.KxMsgDlg);
    FileDropFilter::install(*set.Form1);
    return set;
}

QStringList filesNamed(int argc, const char* const* argv) {
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        if (i == 1 && QByteArrayView(argv[i]) == "--") continue;
        files << QFile::decodeName(argv[i]);
    }
    return files;
}

void startUp(WindowSet& set, const QStringList& files) {
    set.Form1->show();
    const bool restored = set.Recovery->keeper().offerOrphans();
    if (!files.isEmpty()) set.Form1->openDocuments(files, restored);
}

}  // namespace korvex
