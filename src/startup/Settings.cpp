#include "startup/Settings.h"
#include "startup/SharedRoutines.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using T = SettingType;

constexpr SettingDef kDefs[] = {
    {1, T::I2, "7400"},
    {2, T::I2, "5550"},
    {3, T::I2, "4000"},
    {4, T::I2, "1000"},
    {5, T::R4, "285"},
    {6, T::R4, "960"},
    {7, T::R4, "1605"},
    {8, T::R4, "1095"},
    {9, T::R4, "885"},
    {10, T::B, "0"},
    {11, T::B, "0"},
    {12, T::B, "0"},
    {13, T::B, "1"},
    {14, T::B, "2"},
    {15, T::B, "3"},
    {16, T::R4, "2370"},
    {17, T::R4, "1770"},
    {18, T::R4, "735"},
    {19, T::T, ""},
    {20, T::T, ""},
    {21, T::T, ""},
    {22, T::R4, "555"},
    {23, T::F20, "11111111111111111111"},
    {24, T::F20, "11111111111111111111"},
    {25, T::T, ""},
    {26, T::T, ""},
    {27, T::T, ""},
    {28, T::T, ""},
    {29, T::TRaw, ""},
    {30, T::I2, "6105"},
    {31, T::I2, "6705"},
    {32, T::T, "\\msglog.txt"},
    {33, T::T, "\\golog.txt"},
    {34, T::B, "0"},
    {35, T::B, "0"},
    {36, T::B, "0"},
    {37, T::I2, "300"},
    {38, T::B, "0"},
    {39, T::B, "0"},
    {40, T::B, "0"},
    {41, T::I2, "300"},
    {42, T::B, "1"},
    {43, T::B, "1"},
    {44, T::I2, "1"},
    {45, T::B, "1"},
    {46, T::B, "1"},
    {47, T::B, "1"},
    {48, T::B, "1"},
    {49, T::B, "1"},
    {50, T::B, "1"},
    {51, T::B, "1"},
    {52, T::B, "0"},
    {53, T::I2, "4000"},
    {54, T::I2, "1000"},
    {55, T::B, "1"},
    {56, T::B, "0"},
    {57, T::B, "0"},
    {58, T::T, "席にいます"},
    {59, T::T, "帰宅しました"},
    {60, T::T, ""},
    {61, T::T, ""},
    {62, T::B, "0"},
    {63, T::B, "0"},
    {64, T::I4, "0"},
    {65, T::B, "0"},
    {66, T::B, "0"},
    {67, T::T, ""},
    {68, T::T, ""},
    {69, T::C, "-2147483643"},
    {70, T::C, "-2147483640"},
    {71, T::C, "-2147483643"},
    {72, T::C, "-2147483640"},
    {73, T::T, "ＭＳ ゴシック"},
    {74, T::R4, "10"},
    {75, T::I4, "225"},
    {76, T::B, "0"},
    {77, T::C, "13158655"}, // overdue return cell background, light red (RGB 255, 200, 200)
    {78, T::R4, "2500"},
    {79, T::B, "1"},
    {80, T::B, "1"},
    {81, T::T, "\\ftpset.txt"},
    {82, T::I2, "0", true},
    {83, T::R4, "10"},
    {84, T::R4, "1000"},
    {85, T::R4, "700"},
    {86, T::R4, "1500"},
    {87, T::I2, "7400"},
    {88, T::I2, "11000"},
    {89, T::I2, "3000"},
    {90, T::I2, "3000"},
    {91, T::I2, "2640"},
    {92, T::I2, "2700"},
    {93, T::R4, "3000"},
    {94, T::C, "-2147483643"},
    {95, T::C, "-2147483640"},
    {96, T::C, "16711680"},
    {97, T::C, "16711680"},
    {98, T::T, "ＭＳ ゴシック"},
    {99, T::R4, "10"},
    {100, T::I4, "225"},
    {101, T::C, "32768"},
    {102, T::B, "1"},
    {103, T::B, "1"}, // desktop notification of a received message
    {104, T::I2, "0", true},
    {105, T::T, ""},
    {106, T::T, ""},
    {107, T::T, ""},
    {108, T::T, ""},
};
static_assert(std::size(kDefs) == Settings::Count);

struct Index {
    std::array<const SettingDef*, Settings::MaxNumber + 1> byNumber {};
    Index()
    {
        for (const SettingDef& d : kDefs)
            byNumber[std::size_t(d.number)] = &d;
    }
};

const Index& index()
{
    static const Index i;
    return i;
}

// Decimal text to a whole number, rounding a fraction as the classic
// conversion does; false for anything else.
bool parseWhole(const QString& text, qint64 lo, qint64 hi, qint64& out)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    if (ok) {
        if (n < lo || n > hi)
            return false;
        out = n;
        return true;
    }
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return false;
    const double r = std::nearbyint(d); // banker's rounding, as the classic conversion
    if (r < double(lo) || r > double(hi))
        return false;
    out = qint64(r);
    return true;
}

constexpr int kShiftOffset = 7;
constexpr int kPrintableFirst = 0x21;
constexpr int kPrintableCount = 0x7E - 0x21 + 1;

} // namespace

Settings::Settings() = default;

std::span<const SettingDef> Settings::definitions()
{
    return kDefs;
}

const SettingDef* Settings::definition(int number)
{
    if (number < 1 || number > MaxNumber)
        return nullptr;
    return index().byNumber[std::size_t(number)];
}

Settings::Value& Settings::at(int number)
{
    Q_ASSERT(definition(number));
    return m_values[std::size_t(std::clamp(number, 0, MaxNumber))];
}

const Settings::Value& Settings::at(int number) const
{
    Q_ASSERT(definition(number));
    return m_values[std::size_t(std::clamp(number, 0, MaxNumber))];
}

int Settings::intValue(int number) const
{
    return int(at(number).number);
}

double Settings::realValue(int number) const
{
    return at(number).real;
}

QString Settings::text(int number) const
{
    const SettingDef* d = definition(number);
    if (d && d->type == SettingType::F20) {
        QString s;
        for (quint8 digit : at(number).digits)
            s += QChar(u'0' + digit);
        return s;
    }
    return at(number).text;
}

int Settings::boardDigit(int number, int board) const
{
    if (board < 1 || board > BoardCount)
        return 0;
    return at(number).digits[std::size_t(board - 1)];
}

bool Settings::setFromStored(int number, const QString& stored)
{
    const SettingDef* d = definition(number);
    if (!d)
        return false;
    Value& v = at(number);
    qint64 n = 0;
    switch (d->type) {
    case SettingType::I2:
        if (!parseWhole(stored, -32768, 32767, n))
            return false;
        v.number = d->minutes ? n * 60 : n;
        return true;
    case SettingType::I4:
    case SettingType::C:
        if (!parseWhole(stored, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), n))
            return false;
        v.number = n;
        return true;
    case SettingType::B:
        if (!parseWhole(stored, 0, 255, n))
            return false;
        v.number = n;
        return true;
    case SettingType::R4: {
        bool ok = false;
        const double r = stored.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(r) || std::fabs(r) > double(std::numeric_limits<float>::max()))
            return false;
        v.real = double(float(r));
        return true;
    }
    case SettingType::T:
        v.text = trimBlanks(stored);
        if (number == SettingNo::Password)
            v.text = StrShift(QStringLiteral("RESET"), v.text);
        return true;
    case SettingType::TRaw:
        v.text = stored;
        return true;
    case SettingType::F20: {
        if (stored.size() < BoardCount)
            return false;
        std::array<quint8, BoardCount> digits {};
        for (int k = 0; k < BoardCount; ++k) {
            const QChar c = stored[k];
            if (c < u'0' || c > u'9')
                return false;
            digits[std::size_t(k)] = quint8(c.unicode() - u'0');
        }
        v.digits = digits;
        return true;
    }
    }
    return false;
}

void Settings::setInt(int number, int value)
{
    at(number).number = value;
}

void Settings::setReal(int number, double value)
{
    at(number).real = double(float(value));
}

void Settings::setText(int number, const QString& value)
{
    const SettingDef* d = definition(number);
    if (d && d->type == SettingType::F20) {
        setFromStored(number, value);
        return;
    }
    at(number).text = value;
}

void Settings::setBoardDigit(int number, int board, int digit)
{
    if (board < 1 || board > BoardCount)
        return;
    at(number).digits[std::size_t(board - 1)] = quint8(std::clamp(digit, 0, 9));
}

QString Settings::storedText(int number) const
{
    const SettingDef* d = definition(number);
    if (!d)
        return {};
    const Value& v = at(number);
    switch (d->type) {
    case SettingType::I2:
    case SettingType::I4:
    case SettingType::B:
    case SettingType::C:
        return QString::number(d->minutes ? v.number / 60 : v.number);
    case SettingType::R4:
        return formatReal(v.real);
    case SettingType::T:
        return number == SettingNo::Password ? StrShift(QStringLiteral("SET"), v.text) : v.text;
    case SettingType::TRaw:
        return v.text;
    case SettingType::F20:
        return text(number);
    }
    return {};
}

void Settings::clear()
{
    m_values = {};
}

QString StrShift(const QString& mode, const QString& text)
{
    int direction = 0;
    if (mode == QLatin1String("SET"))
        direction = -1;
    else if (mode == QLatin1String("RESET"))
        direction = 1;
    else
        return {};
    // The shift stays inside printable ASCII (wrapping round) so the stored
    // text is always valid Shift-JIS and never gains or loses a blank at its ends.
    QString out = text;
    for (QChar& c : out) {
        const int code = c.unicode();
        if (code < kPrintableFirst || code >= kPrintableFirst + kPrintableCount)
            continue;
        const int k = code - kPrintableFirst + direction * kShiftOffset;
        c = QChar(kPrintableFirst + (k % kPrintableCount + kPrintableCount) % kPrintableCount);
    }
    return out;
}

QString formatReal(double value)
{
    // Seven significant digits read back to the same single-precision value.
    const QString g = QString::number(value, 'g', 7);
    return g.contains(u'e') ? QString::number(value, 'f', 0) : g;
}
