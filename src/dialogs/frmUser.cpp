#include "dialogs/frmUser.h"

#include "board/BoardAccess.h"
#include "board/MainHost.h"
#include "dialogs/ButtonRow.h"
#include "dialogs/frmPass.h"
#include "platform/MessageBox.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmUser::frmUser(AppContext& ctx, MainHost& main)
    : QDialog(main.hostWidget()), m_ctx(ctx), m_main(main)
{
    setObjectName(QStringLiteral("frmUser"));
    setWindowTitle(QStringLiteral("ユーザ情報登録"));
    auto* form = new QFormLayout;
    auto edit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    txtName = edit("txtName");
    txtPass = edit("txtPass");
    txtPass->setEchoMode(QLineEdit::Password);
    txtPass->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // one "*" per character
    txtPass->setMaxLength(8);
    txtPass->setReadOnly(true); // filled through "入力"
    txtNaisen = edit("txtNaisen");
    txtMail = edit("txtMail");
    auto* cmdPass = new QPushButton(QStringLiteral("入力"), this);
    cmdPass->setObjectName(QStringLiteral("cmdPass"));
    auto* passRow = new QHBoxLayout;
    passRow->addWidget(txtPass, 1);
    passRow->addWidget(cmdPass);
    form->addRow(QStringLiteral("ログインするユーザ名"), txtName);
    form->addRow(QStringLiteral("メッセージ開封パスワード"), passRow);
    form->addRow(QStringLiteral("内線番号"), txtNaisen);
    form->addRow(QStringLiteral("メールアドレス"), txtMail);

    const ButtonRow buttons = makeButtonRow(this, {{"cmdSettei", QStringLiteral("設定")},
                                                   {"cmdCancel", QStringLiteral("キャンセル")},
                                                   {"cmdHelp", QStringLiteral("ヘルプ")}});
    QPushButton *cmdSettei = buttons[0], *cmdCancel = buttons[1], *cmdHelp = buttons[2];
    auto* v = new QVBoxLayout(this);
    v->addLayout(form);
    v->addLayout(buttons.layout);

    const Settings& s = ctx.settings();
    txtName->setText(s.text(26));
    setPassword(s.text(25));
    txtNaisen->setText(s.text(27));
    txtMail->setText(s.text(28));

    connect(cmdSettei, &QPushButton::clicked, this, &frmUser::cmdSettei_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdPass, &QPushButton::clicked, this, &frmUser::cmdPass_Click);
    connect(cmdHelp, &QPushButton::clicked, this, [this] { m_main.showHelp(25); });
}

void frmUser::setPassword(const QString& password)
{
    m_password = password;
    txtPass->setText(password);
}

void frmUser::cmdPass_Click()
{
    frmPass dialog(m_ctx, *this);
    dialog.exec();
}

void frmUser::cmdSettei_Click()
{
    Settings& s = m_ctx.settings();
    const int keys[] = {26, 27, 28, 25};
    QString before[4];
    for (int k = 0; k < 4; ++k)
        before[k] = s.text(keys[k]);

    const QString name = trimBlanks(txtName->text());
    s.setText(26, name);
    s.setText(27, trimBlanks(txtNaisen->text()));
    s.setText(28, trimBlanks(txtMail->text()));
    s.setText(25, m_password);

    if (name.isEmpty() || Ikifile_Login(m_ctx) == 1) {
        IniFile& ini = m_ctx.iniFile();
        for (int number : keys)
            ini.writeBack(number);
        m_main.cboGroup_Click();
        accept();
        return;
    }
    // Refused: nothing is stored, and the running copy keeps the identity it had
    // (an emptied name would leave the user's rows logged in at exit).
    for (int k = 0; k < 4; ++k)
        s.setText(keys[k], before[k]);
    txtName->clear();
    m_ctx.msgBox().stop(QStringLiteral("ログインに失敗しました。ユーザ名・掲示板のログインチェックが正しく入力されているか確認してください"),
                        QStringLiteral("ログインエラー"));
    txtName->setFocus();
}
