#include "board/frmAutoInput.h"

#include "board/AutoInputSettings.h"
#include "board/MainHost.h"
#include "board/WhereaboutsBoxes.h"
#include "dialogs/ButtonRow.h"
#include "platform/InputActivity.h"
#include "platform/MessageBox.h"
#include "startup/AppContext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kHelpContext = 14;
} // namespace

frmAutoInput::frmAutoInput(AppContext& ctx, MainHost& main)
    : QDialog(main.hostWidget()), m_ctx(ctx), m_main(main)
{
    setObjectName(QStringLiteral("frmAutoInput"));
    setWindowTitle(QStringLiteral("自動入力設定"));

    for (int i = 0; i < 5; ++i) {
        cboIkisaki[std::size_t(i)] = new QComboBox(this);
        cboIkisaki[std::size_t(i)]->setObjectName(QStringLiteral("cboIkisaki%1").arg(i));
        cboModori[std::size_t(i)] = new QComboBox(this);
        cboModori[std::size_t(i)]->setObjectName(QStringLiteral("cboModori%1").arg(i));
        WhereaboutsBoxes::makeEditable(cboIkisaki[std::size_t(i)]);
        WhereaboutsBoxes::makeEditable(cboModori[std::size_t(i)]);
        WhereaboutsBoxes::fillDestinations(cboIkisaki[std::size_t(i)], ctx);
        WhereaboutsBoxes::fillReturns(cboModori[std::size_t(i)], ctx);
    }
    chkStart = new QCheckBox(QStringLiteral("起動時に自動的にセットする"), this);
    chkStart->setObjectName(QStringLiteral("chkStart"));
    chkEnd = new QCheckBox(QStringLiteral("終了時に自動的にセットする"), this);
    chkEnd->setObjectName(QStringLiteral("chkEnd"));
    chkSetIn = new QCheckBox(QStringLiteral("行き先を設定したらｺﾝﾎﾞﾎﾞｯｸｽにセットする"), this);
    chkSetIn->setObjectName(QStringLiteral("chkSetIn"));
    txtFuzaiTime = new QLineEdit(this);
    txtFuzaiTime->setObjectName(QStringLiteral("txtFuzaiTime"));
    txtFuzaiTime->setMaximumWidth(60);

    auto* v = new QVBoxLayout(this);
    // The three settings that come with a check box: the box, then its pair.
    const std::pair<QCheckBox*, int> checked[] = {{chkStart, 0}, {chkEnd, 1}, {chkSetIn, 2}};
    for (const auto& [check, i] : checked) {
        auto* group = new QGroupBox(this);
        auto* g = new QGridLayout(group);
        g->addWidget(check, 0, 0, 1, 2);
        g->addWidget(cboIkisaki[std::size_t(i)], 1, 0);
        g->addWidget(cboModori[std::size_t(i)], 1, 1);
        v->addWidget(group);
    }
    // The absence sentence: condition, minutes, absence whereabouts.
    auto* absence = new QGroupBox(this);
    for (int i : {3, 4}) {
        cboIkisaki[std::size_t(i)]->setMinimumWidth(120);
        cboModori[std::size_t(i)]->setMinimumWidth(100);
    }
    auto* a = new QGridLayout(absence);
    a->addWidget(cboIkisaki[4], 0, 0);
    a->addWidget(cboModori[4], 0, 1);
    a->addWidget(new QLabel(QStringLiteral("とセットされている時に"), absence), 0, 2);
    auto* minutes = new QHBoxLayout;
    minutes->addWidget(txtFuzaiTime);
    minutes->addWidget(new QLabel(QStringLiteral("分(0～499)"), absence));
    minutes->addWidget(new QLabel(QStringLiteral("操作が無かったらセットする"), absence));
    minutes->addStretch(1);
    a->addLayout(minutes, 1, 0, 1, 3);
    a->addWidget(cboIkisaki[3], 2, 0);
    a->addWidget(cboModori[3], 2, 1);
    a->addWidget(new QLabel(QStringLiteral("時間を0分にするとセットしません"), absence), 3, 0, 1, 3);
    lblWatch = new QLabel(QStringLiteral("この環境ではキーボードとマウスの操作を監視できないため、"
                                         "操作が無くても自動的にはセットされません"),
                          absence);
    lblWatch->setObjectName(QStringLiteral("lblWatch"));
    lblWatch->setWordWrap(true);
    lblWatch->setVisible(!ctx.inputActivity().isAvailable());
    a->addWidget(lblWatch, 4, 0, 1, 3);
    v->addWidget(absence);

    const ButtonRow buttons = makeButtonRow(this, {{"cmdOK", QStringLiteral("OK")},
                                                   {"cmdCancel", QStringLiteral("キャンセル")},
                                                   {"cmdHelp", QStringLiteral("ヘルプ")}});
    v->addLayout(buttons.layout);
    connect(buttons[0], &QPushButton::clicked, this, &frmAutoInput::cmdOK_Click);
    connect(buttons[1], &QPushButton::clicked, this, &QDialog::reject);
    connect(buttons[2], &QPushButton::clicked, this, [this] { m_main.showHelp(kHelpContext); });

    // The settings over the lists' first entries.
    const AutoInputSettings current = AutoInputSettings::load(ctx.settings());
    chkStart->setChecked(current.atStart);
    chkEnd->setChecked(current.atExit);
    chkSetIn->setChecked(current.afterSet);
    for (int i = 0; i < 5; ++i) {
        cboIkisaki[std::size_t(i)]->setEditText(current.pairs[std::size_t(i)].destination);
        cboModori[std::size_t(i)]->setEditText(current.pairs[std::size_t(i)].expectedReturn);
    }
    txtFuzaiTime->setText(QString::number(current.minutes));
}

void frmAutoInput::cmdOK_Click()
{
    const std::optional<int> minutes = AutoInputSettings::parseMinutes(txtFuzaiTime->text());
    if (!minutes) {
        m_ctx.msgBox().stop(QStringLiteral("操作監視時間を正しく入力してください"), QStringLiteral("入力エラー"));
        txtFuzaiTime->setFocus();
        txtFuzaiTime->selectAll();
        return;
    }
    AutoInputSettings wanted;
    wanted.atStart = chkStart->isChecked();
    wanted.atExit = chkEnd->isChecked();
    wanted.afterSet = chkSetIn->isChecked();
    for (int i = 0; i < 5; ++i)
        wanted.pairs[std::size_t(i)] = {cboIkisaki[std::size_t(i)]->currentText(),
                                        cboModori[std::size_t(i)]->currentText()};
    wanted.minutes = *minutes;
    // A text the settings file cannot hold is reported and nothing is saved.
    if (!wanted.save(m_ctx.iniFile()))
        return;
    m_main.absenceWatchChanged();
    accept();
}
