#pragma once

#include "messaging/PendingListWindow.h"

// "未受信メッセージ一覧": the sent messages whose receipt has not come back,
// from the "RCV" folder as it was when the window opened or was last refilled.
class frmReceive : public PendingListWindow
{
    Q_OBJECT

public:
    frmReceive(AppContext& ctx, MainHost& main);

protected:
    QList<PendingLists::Entry> entries() const override;
    QString folder() const override;
    QString lookCaption(const PendingLists::Entry& e) const override;
};
