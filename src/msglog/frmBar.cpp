#include "msglog/frmBar.h"

#include <QApplication>
#include <QProgressBar>
#include <QVBoxLayout>

frmBar::frmBar(QWidget* owner, const QString& caption, qint64 total)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_total(std::max<qint64>(total, 1))
{
    setObjectName(QStringLiteral("frmBar"));
    setWindowTitle(caption);
    setAttribute(Qt::WA_ShowWithoutActivating);
    pgb1 = new QProgressBar(this);
    pgb1->setObjectName(QStringLiteral("pgb1"));
    pgb1->setRange(0, 1000); // per mille: any length of log fits
    pgb1->setValue(0);
    pgb1->setMinimumWidth(320);
    auto* v = new QVBoxLayout(this);
    v->addWidget(pgb1);
    if (owner) {
        adjustSize();
        const QRect g = owner->window()->geometry();
        move(g.center() - rect().center());
    }
    show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmBar::step(qint64 done)
{
    if (!m_pump.due())
        return;
    pgb1->setValue(int(std::min<qint64>(1000, done * 1000 / m_total)));
    ++m_rounds;
    QCoreApplication::processEvents();
}
