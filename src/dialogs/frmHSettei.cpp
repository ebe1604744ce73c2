#include "dialogs/frmHSettei.h"

#include "board/MainHost.h"
#include "dialogs/ButtonRow.h"
#include "dialogs/DisplaySettings.h"
#include "platform/ColorFontDialogs.h"
#include "platform/MessageBox.h"
#include "platform/SystemColors.h"
#include "platform/Twips.h"
#include "startup/AppContext.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace DS = DisplaySettings;

frmHSettei::frmHSettei(AppContext& ctx, MainHost& main)
    : QDialog(main.hostWidget()), m_ctx(ctx), m_main(main)
{
    setObjectName(QStringLiteral("frmHSettei"));
    setWindowTitle(QStringLiteral("表示設定"));

    auto* colors = new QGroupBox(QStringLiteral("掲示板の表示"), this);
    auto* grid = new QGridLayout(colors);
    const QString colorLabels[] = {QStringLiteral("ログインしている人の背景色"), QStringLiteral("ログインしている人の文字色"),
                                   QStringLiteral("ログアウトしている人の背景色"), QStringLiteral("ログアウトしている人の文字色"),
                                   QStringLiteral("戻り予定を過ぎた人の背景色")};
    for (int i = 0; i < DS::ColorCount; ++i) {
        grid->addWidget(new QLabel(colorLabels[i], colors), i, 0);
        auto* swatch = new QFrame(colors);
        swatch->setObjectName(QStringLiteral("speColor%1").arg(i));
        swatch->setFrameShape(QFrame::Box);
        swatch->setAutoFillBackground(true);
        swatch->setFixedSize(48, 20);
        speColor[std::size_t(i)] = swatch;
        grid->addWidget(swatch, i, 1);
        auto* button = new QPushButton(QStringLiteral("設定"), colors);
        button->setObjectName(QStringLiteral("cmdColor%1").arg(i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { cmdColor_Click(i); });
        grid->addWidget(button, i, 2);
    }
    grid->addWidget(new QLabel(QStringLiteral("表示フォント"), colors), 5, 0);
    auto* fontRow = new QHBoxLayout;
    lblFont = new QLabel(colors);
    lblFont->setObjectName(QStringLiteral("lblFont"));
    lblFontSize = new QLabel(colors);
    lblFontSize->setObjectName(QStringLiteral("lblFontSize"));
    fontRow->addWidget(lblFont);
    fontRow->addWidget(lblFontSize);
    fontRow->addStretch();
    grid->addLayout(fontRow, 5, 1);
    auto* cmdFont = new QPushButton(QStringLiteral("設定"), colors);
    cmdFont->setObjectName(QStringLiteral("cmdFont"));
    cmdFont->setAutoDefault(false);
    grid->addWidget(cmdFont, 5, 2);
    grid->addWidget(new QLabel(QStringLiteral("グリッドの高さ"), colors), 6, 0);
    txtGrid = new QLineEdit(colors);
    txtGrid->setObjectName(QStringLiteral("txtGrid"));
    txtGrid->setMaximumWidth(80);
    txtGrid->installEventFilter(this);
    grid->addWidget(txtGrid, 6, 1);

    chkNani = new QCheckBox(QStringLiteral("起動時に｢今日は何の日?」を表示"), this);
    chkNani->setObjectName(QStringLiteral("chkNani"));
    chkKoukoku = new QCheckBox(QStringLiteral("起動時に広告を表示"), this);
    chkKoukoku->setObjectName(QStringLiteral("chkKoukoku"));

    const ButtonRow buttons = makeButtonRow(this, {{"cmdDefault", QStringLiteral("初期値に戻す")},
                                                   {"cmdClose", QStringLiteral("閉じる")},
                                                   {"cmdHelp", QStringLiteral("ヘルプ")}},
                                            false);
    auto* v = new QVBoxLayout(this);
    v->addWidget(colors);
    v->addWidget(chkNani);
    v->addWidget(chkKoukoku);
    v->addLayout(buttons.layout);

    connect(cmdFont, &QPushButton::clicked, this, &frmHSettei::cmdFont_Click);
    connect(buttons[0], &QPushButton::clicked, this, &frmHSettei::cmdDefault_Click);
    connect(buttons[1], &QPushButton::clicked, this, &QDialog::accept);
    connect(buttons[2], &QPushButton::clicked, this, [this] { m_main.showHelp(16); });
    connect(chkNani, &QCheckBox::clicked, this, &frmHSettei::chkNani_Click);

    const Settings& s = ctx.settings();
    for (int i = 0; i < DS::ColorCount; ++i)
        showColor(i);
    showFont();
    txtGrid->setText(DS::heightText(s.intValue(DS::RowHeight)));
    chkNani->setChecked(s.intValue(DS::ShowMemo) == 1);
    chkKoukoku->setChecked(s.intValue(DS::ShowBanner) == 1);
    chkNani_Click();
}

void frmHSettei::showColor(int index)
{
    QFrame* swatch = speColor[std::size_t(index)];
    QPalette p = swatch->palette();
    p.setColor(QPalette::Window, SystemColors::fromSetting(m_ctx.settings().intValue(DS::colorSetting(index))));
    swatch->setPalette(p);
}

void frmHSettei::showFont()
{
    const Settings& s = m_ctx.settings();
    lblFont->setText(s.text(DS::FontName));
    lblFontSize->setText(QString::number(s.realValue(DS::FontSize)));
}

void frmHSettei::storeColor(int index, qint32 value)
{
    m_ctx.settings().setInt(DS::colorSetting(index), value);
    m_ctx.iniFile().writeBack(DS::colorSetting(index));
    showColor(index);
}

void frmHSettei::storeFont(const QString& name, double size)
{
    IniFile& ini = m_ctx.iniFile();
    if (!ini.checkStorable(name))
        return; // reported; the font stays as it was
    m_ctx.settings().setText(DS::FontName, name);
    m_ctx.settings().setReal(DS::FontSize, size);
    ini.writeBack(DS::FontName);
    ini.writeBack(DS::FontSize);
    showFont();
    m_main.applyBoxFont();
}

void frmHSettei::fatalError()
{
    m_ctx.msgBox().show({QStringLiteral("致命的エラー"), QStringLiteral("Porlune"), MsgIcon::Stop, MsgButtons::Ok});
    m_fatal = true;
    QDialog::done(Rejected);
    m_main.endProgram();
}

void frmHSettei::cmdColor_Click(int index)
{
    const QColor current = SystemColors::fromSetting(m_ctx.settings().intValue(DS::colorSetting(index)));
    const Choice<QColor> c = m_ctx.colorFontDialogs().color(this, QStringLiteral("色の指定"), current);
    if (c.outcome == ChoiceOutcome::Failed)
        return fatalError();
    if (c.chosen())
        storeColor(index, SystemColors::toSetting(c.value));
}

void frmHSettei::cmdFont_Click()
{
    const Settings& s = m_ctx.settings();
    const QFont current = Twips::fontOf(s.text(DS::FontName), s.realValue(DS::FontSize));
    const Choice<QFont> f = m_ctx.colorFontDialogs().font(this, QStringLiteral("表示フォントの設定"), current);
    if (f.outcome == ChoiceOutcome::Failed)
        return fatalError();
    if (!f.chosen())
        return;
    double size = f.value.pointSizeF();
    if (size <= 0) // a font given in pixels
        size = f.value.pixelSize() * 72.0 / Twips::dpi();
    storeFont(f.value.family(), size);
}

void frmHSettei::cmdDefault_Click()
{
    for (int i = 0; i < DS::ColorCount; ++i)
        storeColor(i, DS::defaultColors()[std::size_t(i)]);
    storeFont(DS::defaultFontName(), DS::DefaultFontSize);
    txtGrid->setText(QString::number(DS::DefaultHeight));
    chkNani->setChecked(true);
    chkKoukoku->setChecked(true);
    chkNani_Click();
}

void frmHSettei::chkNani_Click()
{
    // The banner belongs to the date memo window.
    if (!chkNani->isChecked())
        chkKoukoku->setChecked(false);
    chkKoukoku->setEnabled(chkNani->isChecked());
}

bool frmHSettei::txtGrid_Validate()
{
    const DS::HeightCheck check = DS::checkHeight(txtGrid->text());
    if (check == DS::HeightCheck::Ok)
        return true;
    if (check == DS::HeightCheck::NotNumeric)
        m_ctx.msgBox().show({QStringLiteral("グリッドの高さが正しく入力されていません\n正しい値を入力してください"),
                             QStringLiteral("正しい値を入力してください"), MsgIcon::Stop, MsgButtons::Ok, 0, true});
    else
        m_ctx.msgBox().stop(QStringLiteral("グリッドの高さは0～9999で設定してください"), QStringLiteral("入力エラー"));
    txtGrid->setText(QString::number(DS::DefaultHeight));
    txtGrid->setFocus();
    txtGrid->selectAll();
    return false;
}

bool frmHSettei::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtGrid) {
        if (event->type() == QEvent::FocusIn)
            QTimer::singleShot(0, txtGrid, &QLineEdit::selectAll); // after the click that placed the cursor
        else if (event->type() == QEvent::FocusOut && isVisible() && !m_fatal)
            txtGrid_Validate();
    }
    return QDialog::eventFilter(watched, event);
}

void frmHSettei::done(int result)
{
    if (m_fatal)
        return QDialog::done(result);
    // Every way of closing (the button, Esc, the title bar) stores; a height
    // that is no number keeps the dialog open.
    if (!txtGrid_Validate())
        return;
    int height = DS::DefaultHeight;
    DS::checkHeight(txtGrid->text(), &height);
    Settings& s = m_ctx.settings();
    s.setInt(DS::RowHeight, height * 10);
    s.setInt(DS::ShowMemo, chkNani->isChecked() ? 1 : 0);
    s.setInt(DS::ShowBanner, chkKoukoku->isChecked() ? 1 : 0);
    IniFile& ini = m_ctx.iniFile();
    for (int number : {DS::RowHeight, DS::ShowMemo, DS::ShowBanner})
        ini.writeBack(number);
    QDialog::done(result);
    m_main.redrawBoard();
}
