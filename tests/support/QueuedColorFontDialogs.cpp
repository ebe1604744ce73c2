#include "support/QueuedColorFontDialogs.h"

Choice<QColor> QueuedColorFontDialogs::color(QWidget*, const QString& title, const QColor& initial)
{
    m_asked.append({title, QVariant(initial)});
    Choice<QColor> c = m_colors.isEmpty() ? Choice<QColor> {} : m_colors.dequeue();
    if (!c.chosen())
        c.value = initial;
    return c;
}

Choice<QFont> QueuedColorFontDialogs::font(QWidget*, const QString& title, const QFont& initial)
{
    m_asked.append({title, QVariant(initial)});
    Choice<QFont> f = m_fonts.isEmpty() ? Choice<QFont> {} : m_fonts.dequeue();
    if (!f.chosen())
        f.value = initial;
    return f;
}
