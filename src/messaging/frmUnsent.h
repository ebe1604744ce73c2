#pragma once

#include "messaging/PendingListWindow.h"

// "未送信メッセージ一覧": the scheduled messages waiting in "TIM". While it is
// open no scheduled message is dispatched, so none leaves under the user's
// eyes; a deletion recomputes the earliest send time.
class frmUnsent : public PendingListWindow
{
    Q_OBJECT

public:
    frmUnsent(AppContext& ctx, MainHost& main);

protected:
    void done(int result) override;
    QList<PendingLists::Entry> entries() const override;
    QString folder() const override;
    QString lookCaption(const PendingLists::Entry& e) const override;
    void afterDelete(bool gone) override;

private:
    bool m_released = false;
};
