#include "msglog/ViewerSettings.h"

#include "platform/SystemColors.h"
#include "startup/AppContext.h"

#include <cmath>

namespace ViewerSettings {

QString defaultText(int number)
{
    switch (number) {
    case 94: return QString::number(SystemColors::WindowBackground);
    case 95: return QString::number(SystemColors::WindowText);
    case 96:
    case 97: return QString::number(SystemColors::toSetting(QColor(0, 0, 255)));
    case 101: return QString::number(SystemColors::toSetting(QColor(0, 128, 0)));
    case 98: return QStringLiteral("ＭＳ ゴシック");
    case 99: return QStringLiteral("10");
    case 100: return QString::number(DefaultRowHeightShown * 10);
    default: return QString();
    }
}

GridHeightCheck checkGridHeight(const QString& typed, int* twips)
{
    bool ok = false;
    const double shown = typed.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(shown))
        return GridHeightCheck::NotNumeric;
    if (shown < 0 || shown > 9999)
        return GridHeightCheck::OutOfRange;
    if (twips)
        *twips = int(std::lround(shown * 10));
    return GridHeightCheck::Ok;
}

bool storeDefaults(AppContext& ctx)
{
    bool ok = true;
    for (int number : {94, 95, 96, 97, 101, 98, 99, 100})
        ok = ctx.iniFile().store(number, defaultText(number)) && ok;
    return ok;
}

} // namespace ViewerSettings
