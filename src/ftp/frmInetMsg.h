#pragma once

#include <QWidget>

// The small notice shown while files come from the internet: "インターネット
// 接続を確認中です" / "しばらくおまちください". Shown without blocking.
class frmInetMsg : public QWidget
{
    Q_OBJECT

public:
    explicit frmInetMsg(QWidget* parent = nullptr);
    // Shows the notice and paints it at once (the caller is about to wait).
    void showNow();
};
