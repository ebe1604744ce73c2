#include "messaging/frmPassIn.h"

#include "startup/SharedRoutines.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmPassIn::frmPassIn(const QString& password, QWidget* parent)
    : QDialog(parent), m_password(password)
{
    setObjectName(QStringLiteral("frmPassIn"));
    setWindowTitle(QStringLiteral("パスワードの入力"));
    txtPass = new QLineEdit(this);
    txtPass->setObjectName(QStringLiteral("txtPass"));
    txtPass->setEchoMode(QLineEdit::Password);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("CANCEL"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* v = new QVBoxLayout(this);
    v->addWidget(new QLabel(QStringLiteral("メッセージ開封パスワード"), this));
    v->addWidget(txtPass);
    v->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &frmPassIn::cmdOK_Click);
    connect(cancel, &QPushButton::clicked, this, &frmPassIn::cmdCancel_Click);
    connect(txtPass, &QLineEdit::returnPressed, this, &frmPassIn::cmdOK_Click);
}

void frmPassIn::cmdOK_Click()
{
    m_right = trimBlanks(txtPass->text()) == m_password;
    accept();
}

void frmPassIn::cmdCancel_Click()
{
    m_right = false;
    reject();
}
