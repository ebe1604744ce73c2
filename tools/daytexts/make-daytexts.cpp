// Builds the delivered day-text files nani01.dat to nani12.dat from the
// editable UTF-8 source. Keys come from a fixed seed per month, so the same
// source always gives the same files.
#include "memo/DayMemo.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/SharedFile.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: porlune-daytexts SOURCE.txt OUTPUT-FOLDER\n");
        return 2;
    }
    QFile source(args[1]);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: cannot read\n", qPrintable(args[1]));
        return 1;
    }
    QString error;
    const auto months = DayTexts::fromSource(QString::fromUtf8(source.readAll()), &error);
    if (months.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(args[1]), qPrintable(error));
        return 1;
    }
    int days = 0;
    for (int m = 1; m <= 12; ++m) {
        const QString path = Paths::join(args[2], QStringLiteral("nani%1.dat").arg(m, 2, 10, QLatin1Char('0')));
        const auto& blocks = months[m - 1];
        days += int(blocks.size());
        if (const int err = SharedFile::replace(path, DayTexts::encode(blocks, Scramble::seededKeys(quint32(m))), false)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(path), std::strerror(err));
            return 1;
        }
    }
    std::printf("%d days written to %s\n", days, qPrintable(args[2]));
    return 0;
}
