// A message file in the mail place or the inbox, current or legacy form, and
// what the reading window asks of it.
#include "FuzzSupport.h"

#include "messaging/MessageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = Fuzz::writeFile(QStringLiteral("00000001.txt"), Fuzz::bytes(data, size));
    const MessageReadResult r = MessageFormat::read(path);
    if (!r.opened())
        __builtin_trap();
    const MessageFile& m = r.message;
    (void)m.addresseeNames();
    (void)m.isSealed();
    (void)m.receiptKind();
    (void)m.mailIdNumber();
    (void)m.text();
    // A message read whole is written again as it was read.
    if (r.intact() && !r.legacy) {
        const MessageReadResult again = MessageFormat::parse(MessageFormat::encodeLines(m, Scramble::seededKeys(7)));
        if (!again.intact() || again.message.addressees != m.addressees || again.message.textLines != m.textLines)
            __builtin_trap();
    }
    return 0;
}
