#include "dialogs/frmKeijiban.h"

#include "board/MainHost.h"
#include "dialogs/ButtonRow.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "startup/AppContext.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVBoxLayout>

#include <algorithm>

frmKeijiban::frmKeijiban(AppContext& ctx, MainHost& main)
    : QDialog(main.hostWidget()), m_ctx(ctx), m_main(main)
{
    setObjectName(QStringLiteral("frmKeijiban"));
    setWindowTitle(QStringLiteral("掲示板の選択"));
    auto* grid = new QGridLayout;
    // The login box carries the group name as its caption, so its column is
    // headed twice: "ロ" over the box, "掲示板名" over the caption. The read box
    // has the column "読" of its own.
    {
        QStyleOptionButton opt;
        opt.initFrom(this);
        const QRect box = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, this);
        const QRect caption = style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, this);
        auto* heading = new QWidget(this);
        auto* row = new QHBoxLayout(heading);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        auto* loginHeading = new QLabel(QStringLiteral("ロ"), heading);
        loginHeading->setObjectName(QStringLiteral("lblLoginHeading"));
        loginHeading->setAlignment(Qt::AlignCenter);
        // Centred over the box even where the character is wider than it.
        const int half = std::max(box.center().x() + 1, loginHeading->sizeHint().width() / 2 + 1);
        loginHeading->setFixedWidth(2 * half);
        row->addSpacing(box.center().x() + 1 - half);
        row->addWidget(loginHeading);
        row->addSpacing(std::max(0, caption.left() - (box.center().x() + 1 + half)));
        auto* nameHeading = new QLabel(QStringLiteral("掲示板名"), heading);
        nameHeading->setObjectName(QStringLiteral("lblNameHeading"));
        row->addWidget(nameHeading);
        row->addStretch(1);
        grid->addWidget(heading, 0, 1);
        auto* readHeading = new QLabel(QStringLiteral("読"), this);
        readHeading->setObjectName(QStringLiteral("lblReadHeading"));
        grid->addWidget(readHeading, 0, 2, Qt::AlignHCenter);
    }

    std::array<const BoardEntry*, Rows> byNumber {};
    for (const BoardEntry& e : ctx.board().entries)
        if (e.number >= 1 && e.number <= Rows)
            byNumber[std::size_t(e.number - 1)] = &e;

    const Settings& s = ctx.settings();
    for (int k = 0; k < Rows; ++k) {
        const int number = k + 1;
        auto* id = new QLabel(QStringLiteral("%1").arg(number, 2, 10, QChar(u'0')), this);
        id->setObjectName(QStringLiteral("lblID%1").arg(number));
        auto* login = new QCheckBox(this);
        login->setObjectName(QStringLiteral("chkLogin%1").arg(number));
        auto* read = new QCheckBox(this);
        read->setObjectName(QStringLiteral("chkRead%1").arg(number));
        grid->addWidget(id, number, 0);
        grid->addWidget(login, number, 1);
        grid->addWidget(read, number, 2, Qt::AlignHCenter);
        lblID[std::size_t(k)] = id;
        chkLogin[std::size_t(k)] = login;
        chkRead[std::size_t(k)] = read;

        const BoardEntry* e = byNumber[std::size_t(k)];
        if (!e) {
            id->hide();
            login->hide();
            read->hide();
            continue;
        }
        m_readOnly[std::size_t(k)] = Fs::isReadOnly(e->path);
        login->setText(e->groupName + (m_readOnly[std::size_t(k)] ? QStringLiteral("(読み取り専用)") : QString()));
        read->setChecked(s.boardFlag(23, number));
        login->setChecked(s.boardFlag(24, number));
        login->setEnabled(read->isChecked());
        connect(read, &QCheckBox::clicked, this, [this, number] { chkRead_Click(number); });
        connect(login, &QCheckBox::clicked, this, [this, number] { chkLogin_Click(number); });
    }

    const ButtonRow buttons = makeButtonRow(this, {{"cmdOK", QStringLiteral("OK")},
                                                   {"cmdCancel", QStringLiteral("Cancel")},
                                                   {"cmdHelp", QStringLiteral("ヘルプ")}});
    QPushButton *ok = buttons[0], *cancel = buttons[1], *help = buttons[2];
    auto* v = new QVBoxLayout(this);
    v->addLayout(grid);
    v->addStretch(1);
    v->addLayout(buttons.layout);
    v->setSizeConstraint(QLayout::SetFixedSize); // cut to the rows in use

    connect(ok, &QPushButton::clicked, this, &frmKeijiban::cmdOK_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { m_main.showHelp(12); });
}

void frmKeijiban::chkRead_Click(int board)
{
    const auto k = std::size_t(board - 1);
    chkLogin[k]->setEnabled(chkRead[k]->isChecked());
}

void frmKeijiban::chkLogin_Click(int board)
{
    const auto k = std::size_t(board - 1);
    if (m_readOnly[k] && chkLogin[k]->isChecked()) {
        m_ctx.msgBox().stop(QStringLiteral("この掲示板ファイルは、読み取り専用ファイルのため、\nログインすることは出来ません"),
                            QStringLiteral("ログイン出来ません"));
        chkLogin[k]->setChecked(false);
    }
}

void frmKeijiban::cmdOK_Click()
{
    QString shown(Rows, u'1');
    QString loggedIn(Rows, u'1');
    for (int k = 0; k < Rows; ++k) {
        if (chkRead[std::size_t(k)]->isHidden() || !chkRead[std::size_t(k)]->isChecked())
            continue;
        shown[k] = u'2';
        if (chkLogin[std::size_t(k)]->isChecked())
            loggedIn[k] = u'2';
    }
    m_ctx.iniFile().store(23, shown);
    m_ctx.iniFile().store(24, loggedIn);
    m_main.reloadBoards();
    accept();
}
