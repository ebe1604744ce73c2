#include "dialogs/ButtonRow.h"

#include <QHBoxLayout>
#include <QPushButton>

ButtonRow makeButtonRow(QWidget* parent, std::initializer_list<ButtonSpec> specs, bool firstIsDefault)
{
    ButtonRow row;
    row.layout = new QHBoxLayout;
    row.layout->addStretch(1);
    for (const ButtonSpec& spec : specs) {
        auto* b = new QPushButton(spec.caption, parent);
        b->setObjectName(QString::fromLatin1(spec.name));
        row.layout->addWidget(b);
        row.buttons.append(b);
    }
    if (firstIsDefault && !row.buttons.isEmpty())
        row.buttons.first()->setDefault(true);
    return row;
}
