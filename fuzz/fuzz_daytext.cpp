// The day-text files "naniMM.dat" beside the program: quoted scrambled records.
#include "FuzzSupport.h"

#include "memo/DayMemo.h"

#include <QFileInfo>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = Fuzz::writeFile(QStringLiteral("nani04.dat"), Fuzz::bytes(data, size));
    const QList<DayBlocks::Block> blocks = DayTexts::readFile(path);
    for (const DayBlocks::Block& b : blocks)
        (void)DayBlocks::find(blocks, b.key);
    const QString folder = QFileInfo(path).path();
    (void)DayTexts::textFor(folder, QStringLiteral("04/01"));
    (void)DayTexts::textFor(folder, QStringLiteral("04/30"));
    return 0;
}
