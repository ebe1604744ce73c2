#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

// What a colour or font chooser gave back: a value, a cancel, or a chooser
// that could not be shown (callers report that as an error).
enum class ChoiceOutcome { Chosen, Cancelled, Failed };

template <typename T>
struct Choice {
    ChoiceOutcome outcome = ChoiceOutcome::Cancelled;
    T value {};
    bool chosen() const { return outcome == ChoiceOutcome::Chosen; }
};

// The colour and font choosers, behind an interface so tests answer them from
// a queue. Both are modal and start at the value given.
class IColorFontDialogs
{
public:
    virtual ~IColorFontDialogs() = default;
    virtual Choice<QColor> color(QWidget* parent, const QString& title, const QColor& initial) = 0;
    virtual Choice<QFont> font(QWidget* parent, const QString& title, const QFont& initial) = 0;
};

// Qt's own colour and font dialogs.
class QtColorFontDialogs final : public IColorFontDialogs
{
public:
    Choice<QColor> color(QWidget* parent, const QString& title, const QColor& initial) override;
    Choice<QFont> font(QWidget* parent, const QString& title, const QFont& initial) override;
};
