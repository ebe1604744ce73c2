#include "dialogs/frmPass.h"

#include "dialogs/ButtonRow.h"
#include "dialogs/frmUser.h"
#include "platform/MessageBox.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmPass::frmPass(AppContext& ctx, frmUser& user)
    : QDialog(&user), m_ctx(ctx), m_user(user)
{
    setObjectName(QStringLiteral("frmPass"));
    setWindowTitle(QStringLiteral("パスワードの設定"));
    auto* grid = new QGridLayout;
    const QString captions[3] = {QStringLiteral("元のパスワード"), QStringLiteral("新しいパスワード"),
                                 QStringLiteral("新しいパスワード（確認）")};
    for (int k = 0; k < 3; ++k) {
        auto* caption = new QLabel(captions[k], this);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("txtPass%1").arg(k));
        edit->setEchoMode(QLineEdit::Password);
        edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // one "*" per character
        edit->setMaxLength(8);
        auto* hint = new QLabel(QStringLiteral("(半角英数8文字以内)"), this);
        grid->addWidget(caption, k, 0);
        grid->addWidget(edit, k, 1);
        grid->addWidget(hint, k, 2);
        txtPass[std::size_t(k)] = edit;
        if (k == 0)
            m_currentLabels = {caption, hint};
    }
    const ButtonRow buttons = makeButtonRow(this, {{"cmdHenko", QStringLiteral("OK")},
                                                   {"cmdCancel", QStringLiteral("キャンセル")}});
    QPushButton *ok = buttons[0], *cancel = buttons[1];
    auto* v = new QVBoxLayout(this);
    v->addLayout(grid);
    v->addLayout(buttons.layout);

    const bool hasPassword = !ctx.settings().text(25).isEmpty();
    txtPass[0]->setVisible(hasPassword);
    for (QLabel* l : m_currentLabels)
        l->setVisible(hasPassword);

    connect(ok, &QPushButton::clicked, this, &frmPass::cmdHenko_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmPass::cmdHenko_Click()
{
    if (trimBlanks(txtPass[0]->text()) != m_ctx.settings().text(25)) {
        m_ctx.msgBox().show({QStringLiteral("元のパスワードに正しいパスワードを入力してください"),
                             QStringLiteral("パスワードが違います"), MsgIcon::Stop, MsgButtons::Ok});
        txtPass[0]->setFocus();
        return;
    }
    const QString fresh = trimBlanks(txtPass[1]->text());
    if (trimBlanks(txtPass[2]->text()) != fresh) {
        m_ctx.msgBox().show({QStringLiteral("変更後のパスワードを再度入力してください"),
                             QStringLiteral("確認用パスワードが違います"), MsgIcon::Stop, MsgButtons::Ok});
        txtPass[1]->clear();
        txtPass[2]->clear();
        txtPass[1]->setFocus();
        return;
    }
    m_user.setPassword(fresh);
    accept();
}
