#pragma once

#include <QByteArray>
#include <QString>

class IMessageBox;
class Settings;

// "Porlune.INI": one 128-byte record per setting at the position of its number
// (16-bit number, 16-bit length, Shift-JIS value, padding). Opened and closed
// for every access; nothing is cached between writes.
class IniFile
{
public:
    static constexpr int RecordSize = 128;
    static constexpr int MaxValueBytes = RecordSize - 4;

    IniFile(const QString& path, const QString& programFolder, Settings& settings, IMessageBox& box);

    const QString& path() const { return m_path; }

    // Loads every setting; writes the default record of each setting that is
    // missing or does not fit its type. On an open error every value is zero or
    // empty. Returns false after an open error.
    bool Inifile_Read();

    // Writes one record; the caller keeps the in-memory value itself. A value
    // over 124 bytes is refused with the write-error report.
    bool Inifile_Write(int number, const QString& value);

    // Sets the in-memory value from its stored text and writes it: what a dialog
    // does for each setting it saves. A value the file cannot hold as it is is
    // refused first (see checkStorable) and changes nothing.
    bool store(int number, const QString& storedValue);
    // False, after the write-error report, when value would not come back as it
    // is: over 124 bytes (EOVERFLOW) or with a character that Shift-JIS lacks or
    // stores in another form (EILSEQ). Dialogs ask before they change anything.
    bool checkStorable(const QString& value);
    // Writes the in-memory value back.
    bool writeBack(int number);

    // The default of a setting as the file stores it (paths joined to the program folder).
    QString defaultText(int number) const;

    static QByteArray encodeRecord(int number, const QByteArray& value);

private:
    QString m_path;
    QString m_programFolder;
    Settings& m_settings;
    IMessageBox& m_box;
};
