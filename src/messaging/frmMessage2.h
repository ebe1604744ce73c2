#pragma once

#include <QDialog>

class AppContext;
class QPlainTextEdit;

// A plain read-only display of a message text; its opener sets caption and text.
class frmMessage2 : public QDialog
{
    Q_OBJECT

public:
    frmMessage2(AppContext& ctx, QWidget* parent, const QString& caption, const QString& text);

private:
    QPlainTextEdit* txtMemo = nullptr;
};
