#pragma once

#include <QString>

#include <array>
#include <span>

// The 108 numbered settings (numbers 1 to 108). 77 (the colour of an overdue
// return) and 103 (desktop notifications) are ours: older copies skip records
// whose number they do not know.
enum class SettingType {
    I2,    // signed 16-bit integer
    I4,    // signed 32-bit integer
    B,     // byte 0 to 255; flags are 0 or 1
    R4,    // single-precision number
    T,     // text, trimmed of blanks when read
    TRaw,  // text kept as stored (setting 29)
    F20,   // 20 digits, one per board; "2" means yes
    C,     // colour, signed 32-bit; negative values are system colours
};

struct SettingDef {
    int number;
    SettingType type;
    const char* defaultValue; // UTF-8; a leading "\" means "in the program folder"
    bool minutes = false;     // stored in minutes, held in seconds
};

namespace SettingNo {
// Numbers that code names often; the rest are used by number, as everywhere else.
enum : int {
    BoardList = 19,
    CommonWhereList = 20,
    CommonReturnList = 21,
    BoardShown = 23,
    BoardLoggedIn = 24,
    Password = 25,
    UserName = 26,
    Extension = 27,
    MailAddress = 28,
    MailPlace = 29,
    MessageLog = 32,
    WhereaboutsLog = 33,
    MailId = 44,
    FtpList = 81,
    FtpInterval = 82,
    OverdueColor = 77,
    Notify = 103,
    InactivityTime = 104,
};
}

class Settings
{
public:
    static constexpr int MaxNumber = 108;
    static constexpr int Count = 108;
    static constexpr int BoardCount = 20;

    Settings();

    static std::span<const SettingDef> definitions();
    static const SettingDef* definition(int number); // nullptr when the number names no setting

    // Typed values as held in memory. Integer kinds (I2, I4, B, C) through
    // intValue; minute settings come back in seconds.
    int intValue(int number) const;
    double realValue(int number) const;
    QString text(int number) const;
    // Digit of board 1 to 20 of an F20 setting (0 when out of range).
    int boardDigit(int number, int board) const;
    bool boardFlag(int number, int board) const { return boardDigit(number, board) == 2; }

    // Converts stored text as the settings file holds it and keeps the result.
    // False (value unchanged) when the text does not fit the setting's type.
    bool setFromStored(int number, const QString& stored);
    void setInt(int number, int value);
    void setReal(int number, double value);
    void setText(int number, const QString& value);
    void setBoardDigit(int number, int board, int digit);

    // The text that the settings file holds for the in-memory value (minutes for
    // minute settings, the shifted form of the password, decimal numbers).
    QString storedText(int number) const;

    // Every value zero or empty, as after a settings file that cannot be opened.
    void clear();

private:
    struct Value {
        qint64 number = 0;
        double real = 0;
        QString text;
        std::array<quint8, BoardCount> digits {};
    };
    Value& at(int number);
    const Value& at(int number) const;

    std::array<Value, MaxNumber + 1> m_values;
};

// The reversible shift that keeps the password out of plain sight in the
// settings file. Mode "SET" shifts, "RESET" restores; any other mode gives "".
QString StrShift(const QString& mode, const QString& text);

// Text form of a real setting as the settings file stores it ("285", "10.5").
QString formatReal(double value);
