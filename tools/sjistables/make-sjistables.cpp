// Writes the code page 932 tables the program starts with, as the platform's
// windows-31j converter gives them:
//   porlune-sjistables src/platform/SjisTableData.inc
#include "platform/SjisTables.h"

#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: porlune-sjistables OUTPUT\n");
        return 2;
    }
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(SjisTables::fromConverter().dataSource()) < 0
        || !out.flush()) {
        std::fprintf(stderr, "porlune-sjistables: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
