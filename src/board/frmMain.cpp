#include "board/frmMain.h"

#include "startup/AppContext.h"
#include "startup/Version.h"

#include <QCloseEvent>

frmMain::frmMain(AppContext& ctx, QWidget* parent)
    : QMainWindow(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(mainCaption());
    resize(480, 360);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    event->accept();
    Q_EMIT unloaded();
}
