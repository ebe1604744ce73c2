// The scrambled line decoder of message files, the locked log and the day
// texts, and the legacy digit form, over lines as a file gives them.
#include "FuzzSupport.h"

#include "common/TextScramble.h"
#include "platform/TextCodec.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* chars = reinterpret_cast<const char*>(data);
    const QString line = Sjis::decode(chars, qsizetype(size));

    const std::optional<QString> plain = Scramble::decode(line);
    QString appended = QStringLiteral("前");
    const bool ok = Scramble::decodeAppend(chars, qsizetype(size), appended);
    // The byte form and the text form agree on printable ASCII lines.
    bool ascii = true;
    for (size_t k = 0; k < size; ++k)
        ascii = ascii && data[k] >= 0x20 && data[k] < 0x7f;
    if (ascii && (ok != plain.has_value() || (ok && appended != QStringLiteral("前") + *plain)))
        __builtin_trap();
    if (!ok && appended != QStringLiteral("前"))
        __builtin_trap();
    // What decodes, encodes back to a line that decodes to the same text.
    if (plain && Scramble::decode(Scramble::encode(*plain, 77)) != plain)
        __builtin_trap();

    (void)Text_Scramble(line, 2);
    (void)Code_Lookup(line, 1);
    (void)Code_Lookup(line, 2);

    // The legacy form: the key from line 1 of such a file, any number.
    qint64 key = 0;
    if (size >= sizeof key)
        std::memcpy(&key, data, sizeof key);
    const QString digits = size >= sizeof key ? Sjis::decode(chars + sizeof key, qsizetype(size - sizeof key)) : line;
    (void)Scramble::legacyDecode(digits, key);
    (void)Legacy_Decode(digits, int(key));
    return 0;
}
