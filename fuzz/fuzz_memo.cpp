// The memo file "memo.dat": the memo box's reading of a day and the save that
// reads the whole file and writes it back with the day's block replaced.
#include "FuzzSupport.h"

#include "memo/DayMemo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = Fuzz::writeFile(QStringLiteral("memo.dat"), Fuzz::bytes(data, size));
    const MemoFile memo(path);
    for (const QString& key : {QStringLiteral("01/01"), QStringLiteral("04/01"), QStringLiteral("12/31")})
        (void)memo.memoFor(key);

    // Whatever the file held, the day saved reads back as it was saved.
    const QString text = QStringLiteral("会議 10:00\n-\n- \n持ち物：資料");
    if (memo.save(QStringLiteral("04/01"), text) != 0)
        __builtin_trap();
    if (memo.memoFor(QStringLiteral("04/01")) != text)
        __builtin_trap();
    return 0;
}
