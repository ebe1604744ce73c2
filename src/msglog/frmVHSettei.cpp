#include "msglog/frmVHSettei.h"

#include "board/MainHost.h"
#include "dialogs/ButtonRow.h"
#include "msglog/ViewerSettings.h"
#include "platform/ColorFontDialogs.h"
#include "platform/MessageBox.h"
#include "platform/SystemColors.h"
#include "platform/Twips.h"
#include "startup/AppContext.h"

#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString kFatal = QStringLiteral("致命的エラー");

QString fontCaption(const QString& name, double size)
{
    return name + u' ' + QString::number(size) + QStringLiteral("pt");
}

} // namespace

frmVHSettei::frmVHSettei(AppContext& ctx, MainHost& host, std::function<void()> applyLook, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_host(host), m_applyLook(std::move(applyLook))
{
    setObjectName(QStringLiteral("frmVHSettei"));
    setWindowTitle(QStringLiteral("メッセージビューワ設定"));
    auto* grid = new QGridLayout;
    static const char* const names[5] = {"cmdBackColor", "cmdForeColor", "cmdOddColor", "cmdEvenColor",
                                          "cmdHeaderColor"};
    const QString labels[5] = {QStringLiteral("背景色"), QStringLiteral("文字色"),
                               QStringLiteral("返信(>が奇数)の文字色"), QStringLiteral("返信(>が偶数)の文字色"),
                               QStringLiteral("メッセージヘッダーの文字色")};
    for (int k = 0; k < 5; ++k) {
        grid->addWidget(new QLabel(labels[k], this), k, 0);
        m_samples[k] = new QFrame(this);
        m_samples[k]->setObjectName(QStringLiteral("shpColor") + QString::number(k));
        m_samples[k]->setFrameShape(QFrame::Box);
        m_samples[k]->setFixedSize(48, 18);
        m_samples[k]->setAutoFillBackground(true);
        grid->addWidget(m_samples[k], k, 1);
        auto* b = new QPushButton(QStringLiteral("設定"), this);
        b->setObjectName(QString::fromLatin1(names[k]));
        b->setAutoDefault(false);
        grid->addWidget(b, k, 2);
        connect(b, &QPushButton::clicked, this, [this, k] { cmdColor_Click(k); });
    }
    grid->addWidget(new QLabel(QStringLiteral("表示フォント"), this), 5, 0);
    lblFont = new QLabel(this);
    lblFont->setObjectName(QStringLiteral("lblFont"));
    grid->addWidget(lblFont, 5, 1);
    cmdFont = new QPushButton(QStringLiteral("設定"), this);
    cmdFont->setObjectName(QStringLiteral("cmdFont"));
    cmdFont->setAutoDefault(false);
    grid->addWidget(cmdFont, 5, 2);
    grid->addWidget(new QLabel(QStringLiteral("グリッドの高さ"), this), 6, 0);
    txtGrid = new QLineEdit(this);
    txtGrid->setObjectName(QStringLiteral("txtGrid"));
    grid->addWidget(txtGrid, 6, 1);

    const ButtonRow buttons = makeButtonRow(this, {{"cmdDefault", QStringLiteral("初期値に戻す")},
                                                   {"cmdClose", QStringLiteral("閉じる")},
                                                   {"cmdHelp", QStringLiteral("ヘルプ")}},
                                            false);
    auto* v = new QVBoxLayout(this);
    v->addLayout(grid);
    v->addLayout(buttons.layout);

    showSamples();
    txtGrid->setText(QString::number(ctx.settings().intValue(100) / 10.0));
    txtGrid->installEventFilter(this);
    cmdFont->installEventFilter(this);

    connect(cmdFont, &QPushButton::clicked, this, &frmVHSettei::cmdFont_Click);
    connect(buttons[0], &QPushButton::clicked, this, &frmVHSettei::cmdDefault_Click);
    connect(buttons[1], &QPushButton::clicked, this, &QDialog::accept);
    connect(buttons[2], &QPushButton::clicked, this, [this] { m_host.showHelp(35); });
}

void frmVHSettei::showSamples()
{
    const Settings& s = m_ctx.settings();
    for (int k = 0; k < 5; ++k) {
        QPalette pal = m_samples[k]->palette();
        pal.setColor(QPalette::Window, SystemColors::fromSetting(s.intValue(ViewerSettings::ColorSettings[k])));
        m_samples[k]->setPalette(pal);
    }
    lblFont->setText(fontCaption(s.text(98), s.realValue(99)));
}

void frmVHSettei::cmdColor_Click(int k)
{
    const int number = ViewerSettings::ColorSettings[k];
    const QColor current = SystemColors::fromSetting(m_ctx.settings().intValue(number));
    const Choice<QColor> c = m_ctx.colorFontDialogs().color(this, QStringLiteral("色の指定"), current);
    if (c.outcome == ChoiceOutcome::Failed) {
        m_ctx.msgBox().show({kFatal, QString(), MsgIcon::None, MsgButtons::Ok, 0, false});
        return;
    }
    if (!c.chosen())
        return;
    m_ctx.iniFile().store(number, QString::number(SystemColors::toSetting(c.value)));
    showSamples();
}

void frmVHSettei::cmdFont_Click()
{
    const Settings& s = m_ctx.settings();
    const Choice<QFont> f =
        m_ctx.colorFontDialogs().font(this, QStringLiteral("表示フォントの設定"), Twips::fontOf(s.text(98), s.realValue(99)));
    if (f.outcome == ChoiceOutcome::Failed) {
        m_ctx.msgBox().show({kFatal, QString(), MsgIcon::None, MsgButtons::Ok, 0, false});
        return;
    }
    if (!f.chosen())
        return;
    // Sizes are kept in points; a font given in pixels is turned back.
    double points = f.value.pointSizeF();
    if (points <= 0)
        points = std::round(f.value.pixelSize() * 72.0 / Twips::dpi());
    const QString name = f.value.family();
    if (!m_ctx.iniFile().checkStorable(name))
        return;
    m_ctx.iniFile().store(98, name);
    m_ctx.iniFile().store(99, QString::number(points));
    showSamples();
    if (m_applyLook)
        m_applyLook();
}

void frmVHSettei::cmdDefault_Click()
{
    ViewerSettings::storeDefaults(m_ctx);
    txtGrid->setText(QString::number(ViewerSettings::DefaultRowHeightShown));
    showSamples();
    if (m_applyLook)
        m_applyLook();
}

bool frmVHSettei::checkGrid()
{
    switch (ViewerSettings::checkGridHeight(txtGrid->text())) {
    case ViewerSettings::GridHeightCheck::Ok:
        return true;
    case ViewerSettings::GridHeightCheck::NotNumeric:
        m_ctx.msgBox().show({QStringLiteral("グリッドの高さが正しく入力されていません\n正しい値を入力してください"),
                             QStringLiteral("正しい値を入力してください"), MsgIcon::Stop, MsgButtons::Ok, 0, true});
        break;
    case ViewerSettings::GridHeightCheck::OutOfRange:
        m_ctx.msgBox().show({QStringLiteral("グリッドの高さは0～9999で設定してください"), QStringLiteral("入力エラー"),
                             MsgIcon::Stop, MsgButtons::Ok, 0, false});
        break;
    }
    txtGrid->setText(QString::number(ViewerSettings::DefaultRowHeightShown));
    txtGrid->setFocus();
    txtGrid->selectAll();
    return false;
}

void frmVHSettei::done(int result)
{
    // Every way of closing (閉じる, Esc, the frame's close button) stores the
    // row height, so a bad one is refused here and the window stays.
    int twips = 0;
    if (!checkGrid())
        return;
    ViewerSettings::checkGridHeight(txtGrid->text(), &twips);
    m_ctx.iniFile().store(100, QString::number(twips));
    if (m_applyLook)
        m_applyLook();
    QDialog::done(result);
}

bool frmVHSettei::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtGrid && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, txtGrid, [box = txtGrid] { box->selectAll(); });
    // Leaving the font button for another control checks the row height; the
    // window losing the focus to a box or a chooser does not.
    if (watched == cmdFont && event->type() == QEvent::FocusOut && isVisible()) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            checkGrid();
    }
    return QDialog::eventFilter(watched, event);
}
