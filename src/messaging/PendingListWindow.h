#pragma once

#include "messaging/PendingLists.h"

#include <QDialog>

class AppContext;
class MainHost;
class QListWidget;
class QPushButton;

// What the lists of waiting and of unread messages share: a header line, one
// line per file, "内容を見る" (also a double click) showing the text in a
// read-only window, "ﾘｽﾄから削除" deleting the file without a question, and
// "閉じる". Each list says where its files are and how they are named.
class PendingListWindow : public QDialog
{
    Q_OBJECT

public:
    void cmdLook_Click();
    void cmdDelete_Click();
    // The visible lines, in list order.
    QStringList lines() const;

protected:
    PendingListWindow(AppContext& ctx, MainHost& main, const QString& objectName, const QString& caption,
                      const QString& header, int helpContext);

    virtual QList<PendingLists::Entry> entries() const = 0;
    virtual QString folder() const = 0;
    virtual QString lookCaption(const PendingLists::Entry& e) const = 0;
    // After a file was deleted, or found gone (gone: false when it was there).
    virtual void afterDelete(bool gone) { Q_UNUSED(gone); }
    // Fills both lists from the folder; derived windows call it once built.
    void fill();

    AppContext& m_ctx;
    MainHost& m_main;

private:
    QList<PendingLists::Entry> m_entries;
    QListWidget* lstHeader = nullptr;
    QListWidget* lstReceive = nullptr;
    QListWidget* lstReceive2 = nullptr;
    QPushButton* cmdLook = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdClose = nullptr;
};
