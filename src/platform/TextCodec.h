#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Shift-JIS as Windows writes it (code page 932). Every text file of the program
// goes through here, so encoding is table driven and deterministic: a character
// the code page lacks becomes "?", as Windows does, and the JIS forms that Linux
// input methods type (〜 ‖ − ¢ £ ¬ —) are stored as their code-page-932 forms.
namespace Sjis {

QByteArray encode(QStringView text);
QString decode(const QByteArray& bytes);
QString decode(const char* data, qsizetype size);

// True when every character of text has its own code-page-932 form.
bool isEncodable(QStringView text);

// The code-page-932 form of one UTF-16 unit: 0 when there is none, a value below
// 0x100 for a single byte, lead byte << 8 | trail byte otherwise.
quint16 codeOf(char16_t ch);

// Byte length of text once encoded.
qsizetype encodedLength(QStringView text);

} // namespace Sjis
