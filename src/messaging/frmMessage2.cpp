#include "messaging/frmMessage2.h"

#include "platform/Twips.h"
#include "startup/AppContext.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmMessage2::frmMessage2(AppContext& ctx, QWidget* parent, const QString& caption, const QString& text)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMessage2"));
    setWindowTitle(caption);
    txtMemo = new QPlainTextEdit(this);
    txtMemo->setObjectName(QStringLiteral("txtMemo"));
    txtMemo->setReadOnly(true);
    txtMemo->setFont(Twips::fontOf(ctx.settings().text(73), ctx.settings().realValue(74)));
    txtMemo->setPlainText(text);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* v = new QVBoxLayout(this);
    v->addWidget(txtMemo, 1);
    v->addLayout(buttons);
    resize(420, 300);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}
