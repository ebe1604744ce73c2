// The destination and return lists, personal and common, as the boxes offer
// them and as the personal lists editor loads them.
#include "FuzzSupport.h"

#include "board/WhereaboutsLists.h"
#include "dialogs/PersonalListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = Fuzz::bytes(data, size);
    const QString path = Fuzz::writeFile(QStringLiteral("list.txt"), bytes);

    const QStringList personal = WhereaboutsLists::personalEntries(path);
    for (const QString& entry : personal) {
        if (entry.isEmpty())
            __builtin_trap();
    }
    const QStringList common = WhereaboutsLists::commonEntries(path);
    if (common.size() < personal.size())
        __builtin_trap();

    QString text;
    if (PersonalListFile::load(path, &text) != 0)
        __builtin_trap();
    return 0;
}
