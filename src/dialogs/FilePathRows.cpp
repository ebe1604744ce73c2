#include "dialogs/FilePathRows.h"

#include "platform/Paths.h"
#include "startup/SharedRoutines.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace FilePathRows {

Row add(QGridLayout* grid, int row, const QString& caption, const char* buttonName, const char* labelName)
{
    auto* title = new QLabel(caption);
    auto* path = new QLabel;
    path->setObjectName(QString::fromLatin1(labelName));
    path->setFrameShape(QFrame::StyledPanel);
    path->setFrameShadow(QFrame::Sunken);
    path->setMinimumWidth(360);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* button = new QPushButton(QStringLiteral("設定"));
    button->setObjectName(QString::fromLatin1(buttonName));
    grid->addWidget(title, row * 2, 0, 1, 2);
    grid->addWidget(path, row * 2 + 1, 0);
    grid->addWidget(button, row * 2 + 1, 1);
    return {path, button};
}

QPushButton* addCloseAndHelp(QDialog* dialog, QGridLayout* grid, int row)
{
    auto* buttons = new QHBoxLayout;
    auto* close = new QPushButton(QStringLiteral("閉じる"));
    close->setObjectName(QStringLiteral("cmdClose"));
    auto* help = new QPushButton(QStringLiteral("ヘルプ"));
    help->setObjectName(QStringLiteral("cmdHelp"));
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addWidget(help);
    grid->addLayout(buttons, row * 2, 0, 1, 2);
    QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::accept);
    return help;
}

QString folderOf(const QString& path)
{
    const int pos = LastPos(path, QString(Paths::separator));
    return pos == 999 ? QString() : path.left(pos);
}

} // namespace FilePathRows
