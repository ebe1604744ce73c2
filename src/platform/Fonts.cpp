#include "platform/Fonts.h"

#include <QFont>
#include <QStringList>

namespace Fonts {

void installSubstitutes()
{
    const QStringList gothicMono {QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic"),
                                  QStringLiteral("VL Gothic"), QStringLiteral("Monospace")};
    const QStringList gothic {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
                              QStringLiteral("VL PGothic"), QStringLiteral("Sans Serif")};
    const QStringList mincho {QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAMincho"), QStringLiteral("Serif")};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), gothicMono);
    QFont::insertSubstitutions(QStringLiteral("MS Gothic"), gothicMono);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), gothic);
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), gothic);
    QFont::insertSubstitutions(QStringLiteral("MS UI Gothic"), gothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), mincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"), mincho);
}

} // namespace Fonts
