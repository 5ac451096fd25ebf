// Writes a file again and again through the platform's file writing until it
// is killed: FILE COUNT BYTES writes COUNT times (0: endlessly), alternating
// between BYTES bytes of 'A' and BYTES+1 bytes of 'B', so that any mix of two
// versions shows in the file's length or content.
#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "base/kxerror.h"
#include "platform/qtplatform.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: korvex_fault_writer FILE COUNT BYTES\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const long count = std::atol(argv[2]);
    const qsizetype bytes = std::atol(argv[3]);
    const QByteArray versions[2] = {QByteArray(bytes, 'A'), QByteArray(bytes + 1, 'B')};
    korvex::QtPlatform platform;
    try {
        for (long i = 0; count == 0 || i < count; ++i) platform.writeWholeFile(path, versions[i % 2]);
    } catch (const korvex::KxError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
