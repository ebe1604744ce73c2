#pragma once

#include "platform/ColorFontDialogs.h"

#include <QList>
#include <QQueue>
#include <QVariant>

// Answers the colour and font choosers from queues, as a user would have
// picked; an empty queue answers "cancelled". Records each chooser asked for.
class QueuedColorFontDialogs final : public IColorFontDialogs
{
public:
    Choice<QColor> color(QWidget*, const QString& title, const QColor& initial) override;
    Choice<QFont> font(QWidget*, const QString& title, const QFont& initial) override;

    void queueColor(const QColor& c) { m_colors.enqueue({ChoiceOutcome::Chosen, c}); }
    void queueFont(const QFont& f) { m_fonts.enqueue({ChoiceOutcome::Chosen, f}); }
    // The next chooser of that kind cancels or fails.
    void queueColorOutcome(ChoiceOutcome o) { m_colors.enqueue({o, QColor()}); }
    void queueFontOutcome(ChoiceOutcome o) { m_fonts.enqueue({o, QFont()}); }

    struct Asked {
        QString title;
        QVariant initial; // QColor or QFont
    };
    const QList<Asked>& asked() const { return m_asked; }

private:
    QQueue<Choice<QColor>> m_colors;
    QQueue<Choice<QFont>> m_fonts;
    QList<Asked> m_asked;
};
