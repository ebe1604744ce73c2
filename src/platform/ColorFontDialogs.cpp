#include "platform/ColorFontDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>

namespace {

// The choosers are widgets: without a widget application there is nothing to show.
bool canShowDialogs()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

Choice<QColor> QtColorFontDialogs::color(QWidget* parent, const QString& title, const QColor& initial)
{
    if (!canShowDialogs())
        return {ChoiceOutcome::Failed, initial};
    const QColor c = QColorDialog::getColor(initial, parent, title);
    if (!c.isValid())
        return {ChoiceOutcome::Cancelled, initial};
    return {ChoiceOutcome::Chosen, c};
}

Choice<QFont> QtColorFontDialogs::font(QWidget* parent, const QString& title, const QFont& initial)
{
    if (!canShowDialogs())
        return {ChoiceOutcome::Failed, initial};
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, initial, parent, title);
    if (!ok)
        return {ChoiceOutcome::Cancelled, initial};
    return {ChoiceOutcome::Chosen, f};
}
