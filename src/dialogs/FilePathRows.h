#pragma once

#include <QString>

class QDialog;
class QGridLayout;
class QLabel;
class QPushButton;

// The rows both file-location dialogs are made of: a caption, the current path
// and a "設定" button; and their "閉じる" and "ヘルプ" buttons.
namespace FilePathRows {

struct Row {
    QLabel* path;
    QPushButton* button;
};

Row add(QGridLayout* grid, int row, const QString& caption, const char* buttonName, const char* labelName);
QPushButton* addCloseAndHelp(QDialog* dialog, QGridLayout* grid, int row);

// Folder part of path (up to its last separator), as the dialogs start in it.
QString folderOf(const QString& path);

} // namespace FilePathRows
