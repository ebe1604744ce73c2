#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

// The scrambled line form of message files, the locked message log and the day
// texts: each UTF-16 little-endian byte of a line, shifted by a per-line key,
// written as a two-character code from a fixed table. The result is printable
// ASCII without comma, double quote or blank, so field-wise reading of these
// files never splits it. It hides text from a casual look; it is not encryption.
namespace Scramble {

// Added to the number on line 1 of a legacy message file to give its key.
inline constexpr int LegacyKeyOffset = 37;

// Codes that stand for a value outside 0 to 255 (never produced by encoding).
inline constexpr char FallbackCode[] = "!!";

// Where encoding takes its keys from: each call gives one key, 0 to 255.
// Tests install a seeded source so that scrambled files are reproducible.
using KeySource = std::function<int()>;
KeySource systemKeys(); // the system's random generator
KeySource seededKeys(quint32 seed); // reproducible sequence

// The code of table entry value (0 to 255); the fallback code for any other value.
QStringView codeOf(int value);
// The table index of a two-character code, -1 when no entry equals it (case-sensitive).
int indexOf(QChar first, QChar second);

QString encode(QStringView text, int key);
QString encode(QStringView text, const KeySource& keys);
// The plain text, or nothing when the line is not a well-formed scrambled line: a
// code outside the table, a lone character at the end, or half a UTF-16 unit.
// Such a line comes from a damaged file and must not be shown as text.
std::optional<QString> decode(QStringView scrambled);

// The same for a line held as bytes, appending the plain text to out (no
// allocation per line, for readers of whole scrambled files). False, with out
// unchanged, when the line is not well formed.
bool decodeAppend(const char* scrambled, qsizetype size, QString& out);

// The scrambled form of text appended to out as bytes (the codes are ASCII), for
// writers of whole scrambled files.
void encodeAppend(QStringView text, int key, QByteArray& out);
// Legacy digit form (three digits per byte, no key pair); nothing when a group
// is not three digits or does not give a byte.
std::optional<QString> legacyDecode(QStringView digits, qint64 key);

} // namespace Scramble

// Direction 1 encodes with a fresh random key, 2 decodes; any other direction
// gives an empty text. A line that cannot be decoded gives an empty text too;
// callers that must tell that apart from an empty line use Scramble::decode.
QString Text_Scramble(const QString& text, int direction);
QString Text_Scramble(const QString& text, int direction, const Scramble::KeySource& keys);

// Mode 2: text is a number; the code of its integer part (rounded down), the
// fallback code outside 0 to 255. Mode 1: text is a code; its index as decimal
// text, "999" when it is no entry. Any other mode gives an empty text.
QString Code_Lookup(const QString& text, int mode);

// Decodes the legacy digit form with key; an empty text when it cannot be decoded.
QString Legacy_Decode(const QString& text, int key);
