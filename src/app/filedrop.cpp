#include "app/filedrop.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "app/uKorvex21.h"
#include "display/textwindow.h"

namespace korvex {
namespace {

// The local files of a drag, or none when anything else comes with them.
QStringList droppedFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) return {};
        files << url.toLocalFile();
    }
    return files;
}

}  // namespace

FileDropFilter::FileDropFilter(TForm1& form) : QObject(&form), form_(form) {}

void FileDropFilter::install(TForm1& form) {
    auto* filter = new FileDropFilter(form);
    form.setAcceptDrops(true);
    form.installEventFilter(filter);
    form.MemArbeitsfenster->viewport()->installEventFilter(filter);
    for (QLineEdit* field : form.findChildren<QLineEdit*>()) field->installEventFilter(filter);
}

bool FileDropFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return QObject::eventFilter(watched, event);
    }
    auto* drop = static_cast<QDropEvent*>(event);  // QDragEnterEvent and QDragMoveEvent are drop events too
    const QStringList files = droppedFiles(drop->mimeData());
    if (files.isEmpty()) return QObject::eventFilter(watched, event);
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        // After the drop has ended: the save question must not hold up the file manager.
        QTimer::singleShot(0, &form_, [form = &form_, files] { form->openDocuments(files); });
    }
    return true;
}

}  // namespace korvex
