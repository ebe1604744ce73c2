#pragma once

#include <QList>
#include <QString>

#include <initializer_list>

class QHBoxLayout;
class QPushButton;
class QWidget;

// The row of buttons at the foot of a dialog: right-aligned, in the order
// given, each named after its control; the first one is the default button
// when asked for.
struct ButtonSpec {
    const char* name;
    QString caption;
};

struct ButtonRow {
    QHBoxLayout* layout = nullptr;
    QList<QPushButton*> buttons;
    QPushButton* operator[](qsizetype k) const { return buttons[k]; }
};

ButtonRow makeButtonRow(QWidget* parent, std::initializer_list<ButtonSpec> specs, bool firstIsDefault = true);
