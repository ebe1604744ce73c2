#include "msglog/frmPass2.h"

#include "dialogs/ButtonRow.h"
#include "platform/MessageBox.h"
#include "startup/SharedRoutines.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmPass2::frmPass2(IMessageBox& box, Mode mode, QWidget* parent) : QDialog(parent), m_box(box), m_mode(mode)
{
    setObjectName(QStringLiteral("frmPass2"));
    setWindowTitle(QStringLiteral("暗号化パスワードの設定"));
    setModal(true);

    const bool set = mode == SetPassword;
    const QString lines[3] = {set ? QStringLiteral("暗号化するパスワードを設定して下さい")
                                  : QStringLiteral("暗号化した時のパスワードを入力してください"),
                              set ? QStringLiteral("パスワードを設定しない場合は、")
                                  : QStringLiteral("パスワードを設定しなかった場合は、"),
                              QStringLiteral("空白のままＯＫをクリックしてください")};
    auto* v = new QVBoxLayout(this);
    for (int k = 0; k < 3; ++k) {
        auto* l = new QLabel(lines[k], this);
        l->setObjectName(QStringLiteral("lblMsg%1").arg(k + 1));
        v->addWidget(l);
    }
    auto* grid = new QGridLayout;
    const QString captions[2] = {QStringLiteral("パスワード"), QStringLiteral("パスワード(確認用)")};
    QLineEdit* edits[2] = {};
    for (int k = 0; k < 2; ++k) {
        auto* caption = new QLabel(captions[k], this);
        caption->setObjectName(QStringLiteral("lblPass%1").arg(k + 1));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("txtPass%1").arg(k + 1));
        edit->setEchoMode(QLineEdit::Password);
        edit->setMaxLength(8);
        edit->installEventFilter(this);
        auto* note = new QLabel(QStringLiteral("(半角英数8文字以内)"), this);
        note->setObjectName(QStringLiteral("lblNote%1").arg(k + 1));
        grid->addWidget(caption, k, 0);
        grid->addWidget(edit, k, 1);
        grid->addWidget(note, k, 2);
        edits[k] = edit;
        if (k == 1 && !set) {
            caption->hide();
            edit->hide();
            note->hide();
        }
    }
    txtPass1 = edits[0];
    txtPass2 = edits[1];
    v->addLayout(grid);

    // Enter in a box moves on (eventFilter), so no button is the default.
    const ButtonRow buttons = makeButtonRow(this, {{"cmdOK", QStringLiteral("OK")}, {"cmdCancel", QStringLiteral("キャンセル")}},
                                            false);
    QPushButton *ok = buttons[0], *cancel = buttons[1];
    v->addLayout(buttons.layout);
    connect(ok, &QPushButton::clicked, this, &frmPass2::cmdOK_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    txtPass1->setFocus();
}

std::optional<QString> frmPass2::ask(QWidget* parent, IMessageBox& box, Mode mode)
{
    frmPass2 w(box, mode, parent);
    if (w.exec() != QDialog::Accepted)
        return std::nullopt;
    return w.password();
}

void frmPass2::cmdOK_Click()
{
    const QString typed = trimBlanks(txtPass1->text());
    if (m_mode == SetPassword && trimBlanks(txtPass2->text()) != typed) {
        m_box.show({QStringLiteral("パスワードを再度入力してください"), QStringLiteral("確認用パスワードが違います"),
                    MsgIcon::Stop, MsgButtons::Ok});
        txtPass1->clear();
        txtPass2->clear();
        txtPass1->setFocus();
        return;
    }
    m_password = typed;
    accept();
}

bool frmPass2::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter moves on, as Tab does; it never closes the window by itself.
            if (watched == txtPass1 && txtPass2->isVisible())
                txtPass2->setFocus();
            else
                findChild<QPushButton*>(QStringLiteral("cmdOK"))->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
