#include "ftp/frmInetMsg.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

frmInetMsg::frmInetMsg(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmInetMsg"));
    setWindowTitle(QStringLiteral("Porlune"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(24, 16, 24, 16);
    for (const auto& [name, text] : {std::pair {"lblMsg1", QStringLiteral("インターネット接続を確認中です")},
                                     std::pair {"lblMsg2", QStringLiteral("しばらくおまちください")}}) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setAlignment(Qt::AlignCenter);
        v->addWidget(l);
    }
}

void frmInetMsg::showNow()
{
    show();
    raise();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
