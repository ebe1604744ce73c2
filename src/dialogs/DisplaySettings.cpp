#include "dialogs/DisplaySettings.h"

#include "platform/SystemColors.h"

#include <QColor>

#include <QRegularExpression>

namespace DisplaySettings {

const std::array<qint32, ColorCount>& defaultColors()
{
    static const std::array<qint32, ColorCount> colors {SystemColors::WindowBackground, SystemColors::WindowText,
                                                        SystemColors::WindowBackground, SystemColors::WindowText,
                                                        SystemColors::toSetting(QColor(255, 200, 200))};
    return colors;
}

QString defaultFontName()
{
    return QStringLiteral("ＭＳ ゴシック");
}

HeightCheck checkHeight(const QString& text, int* height)
{
    // A sign is read, so that "-5" is a number out of range rather than text.
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?)(\\d+)\\s*$"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return HeightCheck::NotNumeric;
    QString digits = m.captured(2);
    while (digits.size() > 1 && digits.startsWith(u'0'))
        digits.remove(0, 1);
    if (m.captured(1) == QLatin1String("-") && digits.toLongLong() != 0)
        return HeightCheck::OutOfRange;
    if (digits.size() > 4)
        return HeightCheck::OutOfRange; // also when too long for any integer
    if (height)
        *height = digits.toInt();
    return HeightCheck::Ok;
}

QString heightText(int stored)
{
    return QString::number(stored / 10);
}

} // namespace DisplaySettings
