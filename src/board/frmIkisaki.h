#pragma once

#include "board/BoardRow.h"

#include <QDialog>
#include <QList>
#include <QPoint>
#include <QStringList>

#include <functional>

class AppContext;
class MainHost;
class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

// Sets the destination and return of other people on the board shown in the
// main window: a list of the board's rows, the boxes, "全員", "ﾛｸﾞｲﾝ全員" and
// the set button. Opened with its corner where the user right-clicked.
class frmIkisaki : public QDialog
{
    Q_OBJECT

public:
    // boardIndex: the board table entry of the group shown; initialItem: the
    // list item of the grid's current row, -1 for none (the header);
    // initialName, when given, the name that row showed (the board may have
    // changed since, and the person is preselected by name then).
    frmIkisaki(AppContext& ctx, MainHost& main, int boardIndex, int initialItem, const QPoint& at,
               const QString& initialName = QString());

    void chkAll_Click();
    void chkLogAll_Click();
    void cmdSettei_Click();

    // The people the last set could not find any more (after the board changed
    // under the open window).
    const QStringList& notChanged() const { return m_notChanged; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void selectOnly(const std::function<bool(int)>& wanted);
    void placeAt(const QPoint& at);

    AppContext& m_ctx;
    MainHost& m_main;
    int m_boardIndex;
    int m_initialItem;
    QList<BoardRow> m_shown; // the rows the list was filled from
    QStringList m_notChanged;

    QListWidget* lstName = nullptr;
    QComboBox* cboIkisaki = nullptr;
    QComboBox* cboModori = nullptr;
    QCheckBox* chkAll = nullptr;
    QCheckBox* chkLogAll = nullptr;
    QPushButton* cmdSettei = nullptr;
    QPushButton* cmdHelp = nullptr;
    QWidget* m_side = nullptr;
    QWidget* m_foot = nullptr;
};
