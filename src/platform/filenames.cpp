#include "platform/filenames.h"

namespace korvex {

QString nameOnOneLine(QString name) {
    return name.replace(QLatin1Char('\r'), QChar(0x21B5)).replace(QLatin1Char('\n'), QChar(0x21B5));
}

}  // namespace korvex
