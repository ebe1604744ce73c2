#include "msglog/frmKensaku.h"

#include "board/MainHost.h"
#include "dialogs/ButtonRow.h"
#include "msglog/frmMsgView.h"
#include "platform/MessageBox.h"
#include "startup/AppContext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using MessageSearch::DateBox;

namespace {
const char* const kDateNames[6] = {"txtNenFrom", "txtGetsuFrom", "txtNichiFrom", "txtNenTo", "txtGetsuTo", "txtNichiTo"};
} // namespace

frmKensaku::frmKensaku(AppContext& ctx, MainHost& host, frmMsgView& viewer)
    : QDialog(&viewer), m_ctx(ctx), m_host(host), m_viewer(viewer)
{
    setObjectName(QStringLiteral("frmKensaku"));
    setWindowTitle(QStringLiteral("メッセージの検索"));
    setModal(true);

    auto* grid = new QGridLayout;
    const auto textRow = [&](int row, const char* chk, const QString& caption, const char* txt, QCheckBox*& box,
                             QLineEdit*& edit) {
        box = new QCheckBox(caption, this);
        box->setObjectName(QString::fromLatin1(chk));
        edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(txt));
        edit->installEventFilter(this);
        grid->addWidget(box, row, 0);
        grid->addWidget(edit, row, 1, 1, 6);
        grid->addWidget(new QLabel(QStringLiteral("を含む"), this), row, 7);
        // The box follows its text: ticked while there is some.
        connect(edit, &QLineEdit::textChanged, box, [box](const QString& t) { box->setChecked(!t.isEmpty()); });
    };
    const auto joinRow = [&](int row, int which) {
        auto* c = new QComboBox(this);
        c->setObjectName(QStringLiteral("cboAndOr%1").arg(which));
        c->addItems({QStringLiteral("かつ"), QStringLiteral("または")});
        grid->addWidget(c, row, 1);
        cboAndOr[std::size_t(which)] = c;
        connect(c, &QComboBox::activated, this, [this, which] { cboAndOr_Click(which); });
    };
    textRow(0, "chkAtesaki", QStringLiteral("宛先"), "txtAtesaki", chkAtesaki, txtAtesaki);
    joinRow(1, 0);
    textRow(2, "chkSashidashi", QStringLiteral("差出人"), "txtSashidashi", chkSashidashi, txtSashidashi);
    joinRow(3, 1);
    textRow(4, "chkHonbun", QStringLiteral("本文"), "txtHonbun", chkHonbun, txtHonbun);
    joinRow(5, 2);
    chkSoushinbi = new QCheckBox(QStringLiteral("送信日付"), this);
    chkSoushinbi->setObjectName(QStringLiteral("chkSoushinbi"));
    grid->addWidget(chkSoushinbi, 6, 0);
    const QString units[3] = {QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日")};
    for (int k = 0; k < 6; ++k) {
        auto* e = new QLineEdit(MessageSearch::initialText(DateBox(k)), this);
        e->setObjectName(QString::fromLatin1(kDateNames[k]));
        e->setMaxLength(4);
        e->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
        e->installEventFilter(this);
        m_dates[std::size_t(k)] = e;
        auto* row = new QHBoxLayout;
        row->addWidget(e);
        row->addWidget(new QLabel(units[k % 3], this));
        grid->addLayout(row, 6 + k / 3, 1 + k % 3 * 2, 1, 2);
    }
    grid->addWidget(new QLabel(QStringLiteral("から"), this), 6, 7);
    grid->addWidget(new QLabel(QStringLiteral("まで"), this), 7, 7);

    lblKekka = new QLabel(this);
    lblKekka->setObjectName(QStringLiteral("lblKekka"));
    // Enter in a box searches (eventFilter), so no button is the default.
    const ButtonRow row = makeButtonRow(this, {{"cmdSerch", QStringLiteral("検索")}, {"cmdHelp", QStringLiteral("ヘルプ")},
                                               {"cmdClose", QStringLiteral("閉じる")}},
                                        false);
    QPushButton *serch = row[0], *help = row[1], *close = row[2];
    QHBoxLayout* buttons = row.layout;
    buttons->insertWidget(0, lblKekka, 1);
    auto* v = new QVBoxLayout(this);
    v->addLayout(grid);
    v->addLayout(buttons);
    connect(serch, &QPushButton::clicked, this, [this] { cmdSerch_Click(); });
    connect(help, &QPushButton::clicked, this, [this] { m_host.showHelp(35); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void frmKensaku::cboAndOr_Click(int which)
{
    const int index = cboAndOr[std::size_t(which)]->currentIndex();
    for (QComboBox* c : cboAndOr)
        c->setCurrentIndex(index); // one join for all conditions
}

MessageSearch::Conditions frmKensaku::conditions() const
{
    MessageSearch::Conditions c;
    c.atesaki = chkAtesaki->isChecked();
    c.atesakiText = txtAtesaki->text();
    c.sashidashi = chkSashidashi->isChecked();
    c.sashidashiText = txtSashidashi->text();
    c.honbun = chkHonbun->isChecked();
    c.honbunText = txtHonbun->text();
    c.soushinbi = chkSoushinbi->isChecked();
    c.dateFrom = m_dates[0]->text() + m_dates[1]->text() + m_dates[2]->text();
    c.dateTo = m_dates[3]->text() + m_dates[4]->text() + m_dates[5]->text();
    c.orJoin = cboAndOr[0]->currentIndex() == 1;
    return c;
}

bool frmKensaku::validate()
{
    IMessageBox& box = m_ctx.msgBox();
    if (!conditions().any()) {
        box.stop(QStringLiteral("検索条件が指定されていません\n検索条件を指定して、再度検索してください"),
                 QStringLiteral("検索条件指定エラー"));
        return false;
    }
    if (!chkSoushinbi->isChecked())
        return true;
    for (int k = 0; k < 6; ++k) {
        QLineEdit* e = m_dates[std::size_t(k)];
        const std::optional<QString> ok = MessageSearch::checkDateBox(DateBox(k), e->text());
        if (!ok) {
            box.stop(QStringLiteral("正しい数値を入力してください"), QStringLiteral("数値入力エラー"));
            e->setText(MessageSearch::initialText(DateBox(k)));
            e->setFocus();
            e->selectAll();
            return false;
        }
        e->setText(*ok);
    }
    const MessageSearch::Conditions c = conditions();
    if (c.dateFrom > c.dateTo) {
        box.stop(QStringLiteral("送信日のFROMよりTOの方が小さい値になっています"), QStringLiteral("日付入力エラー"));
        m_dates[3]->setFocus();
        return false;
    }
    return true;
}

bool frmKensaku::cmdSerch_Click()
{
    if (!validate())
        return false;
    lblKekka->setText(QStringLiteral("検索中です・・・"));
    lblKekka->repaint();
    const QList<qint32> found = MessageSearch::search(m_viewer.log().table(), m_viewer.log().order(), conditions());
    m_viewer.showSearchResult(found);
    lblKekka->setText(QString::number(found.size()) + QStringLiteral("件のメッセージが見つかりました"));
    return true;
}

bool frmKensaku::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdSerch_Click();
            return true; // consumed: the window stays
        }
    } else if (event->type() == QEvent::FocusIn) {
        // Entering a box selects its text, so typing replaces it.
        if (auto* e = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, e, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}
