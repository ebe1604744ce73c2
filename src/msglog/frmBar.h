#pragma once

#include "msglog/TimedPump.h"

#include <QWidget>

class QProgressBar;

// The progress window of long passes over the message log (loading, trash,
// lock): a caption and one bar, shown without blocking.
//
// Use from any window:
//     frmBar bar(owner, QStringLiteral("ゴミ箱に移動しています．．．"), total);
//     ... bar.step(done); ...           // as the pass goes, as often as it likes
// step() moves the bar and lets pending events run at most once every few
// tens of milliseconds, so the pass stays fast and the windows stay alive.
// The owner keeps itself disabled meanwhile (frmMsgView::setBusy), so a click
// cannot act on half-built state. The window closes when the object goes.
class frmBar : public QWidget
{
    Q_OBJECT

public:
    frmBar(QWidget* owner, const QString& caption, qint64 total);

    void step(qint64 done);
    // Event rounds the window has let run so far.
    int servicedRounds() const { return m_rounds; }

private:
    QProgressBar* pgb1 = nullptr;
    TimedPump m_pump;
    qint64 m_total = 0;
    int m_rounds = 0;
};
