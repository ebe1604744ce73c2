#pragma once

#include "msglog/MessageSearch.h"

#include <QDialog>

#include <array>

class AppContext;
class MainHost;
class frmMsgView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// "メッセージの検索": up to four conditions over the viewer's whole record
// table (trash included); the matches go into the viewer's grid.
class frmKensaku : public QDialog
{
    Q_OBJECT

public:
    frmKensaku(AppContext& ctx, MainHost& host, frmMsgView& viewer);

    // Validation, then the search; false when a box refused it.
    bool cmdSerch_Click();
    // The conditions as the boxes hold them now.
    MessageSearch::Conditions conditions() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool validate();
    void cboAndOr_Click(int which);

    AppContext& m_ctx;
    MainHost& m_host;
    frmMsgView& m_viewer;
    QCheckBox* chkAtesaki = nullptr;
    QCheckBox* chkSashidashi = nullptr;
    QCheckBox* chkHonbun = nullptr;
    QCheckBox* chkSoushinbi = nullptr;
    QLineEdit* txtAtesaki = nullptr;
    QLineEdit* txtSashidashi = nullptr;
    QLineEdit* txtHonbun = nullptr;
    std::array<QLineEdit*, 6> m_dates {}; // from year, month, day; to year, month, day
    std::array<QComboBox*, 3> cboAndOr {};
    QLabel* lblKekka = nullptr;
};
