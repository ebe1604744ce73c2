// "template.ini": the message templates of the sending windows.
#include "FuzzSupport.h"

#include "messaging/TemplateList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = Fuzz::writeFile(TemplateList::fileName(), Fuzz::bytes(data, size));
    QStringList templates;
    if (TemplateList::load(path, &templates) != 0)
        __builtin_trap();
    for (const QString& t : templates) {
        if (t.isEmpty())
            __builtin_trap();
    }
    return 0;
}
