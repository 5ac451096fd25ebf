#include "app/korvexapplication.h"

#include <new>

namespace korvex {

bool KorvexApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        if (report_) report_();
        return true;  // taken: the event's handler has done what it could
    }
}

}  // namespace korvex
