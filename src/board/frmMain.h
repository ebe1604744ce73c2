#pragma once

#include <QMainWindow>

class AppContext;

// The program's one permanent window: the board grid, its menus and timers.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmMain(AppContext& ctx, QWidget* parent = nullptr);

Q_SIGNALS:
    // The window has unloaded: the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AppContext& m_ctx;
};
