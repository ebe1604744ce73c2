#include "messaging/frmMailSend.h"

#include "board/BoardAccess.h"
#include "messaging/ComposeSend.h"
#include "messaging/MailtoLink.h"
#include "messaging/MessageWindowParts.h"
#include "messaging/frmTimeSet.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "platform/HelpViewer.h"
#include "platform/MessageBox.h"
#include "platform/Twips.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);
const QColor kReadOnlyGreen(0, 192, 0);

constexpr int kMinHeightTwips = 2730;
constexpr int kHelpContext = 57;

void setTextColour(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::ButtonText, colour);
    p.setColor(QPalette::Text, colour);
    w->setPalette(p);
}

QString noAddresseeText()
{
    return QStringLiteral("送信先が選択されていません");
}

QString sendErrorTitle()
{
    return QStringLiteral("送信エラー");
}

} // namespace

frmMailSend::frmMailSend(AppContext& ctx, QWidget* parent, Origin origin)
    : QDialog(parent), m_ctx(ctx), m_origin(origin)
{
    setObjectName(QStringLiteral("frmMailSend"));
    setWindowTitle(QStringLiteral("メッセージ作成"));
    setModal(true);
    buildControls();
    Form_Load();
}

void frmMailSend::buildControls()
{

    cboGroup = new QComboBox(this);
    cboGroup->setObjectName(QStringLiteral("cboGroup"));
    auto* lists = new QVBoxLayout;
    lists->setContentsMargins(0, 0, 0, 0);
    for (int k = 0; k < ListCount; ++k) {
        auto* list = new QListWidget(this);
        list->setObjectName(QStringLiteral("lstName%1").arg(k));
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->hide();
        lists->addWidget(list, 1);
        lstName[std::size_t(k)] = list;
        connect(list, &QListWidget::itemChanged, this, [this, k, list](QListWidgetItem* item) {
            lstName_ItemCheck(k, list->row(item));
        });
    }
    chkAll = MessageWindowParts::check(this, QStringLiteral("全員"), "chkAll");
    chkLogAll = MessageWindowParts::check(this, QStringLiteral("ﾛｸﾞｲﾝ全員"), "chkLogAll");

    txtAtesaki = new QLineEdit(this);
    txtAtesaki->setObjectName(QStringLiteral("txtAtesaki"));
    txtAtesaki->setReadOnly(true);
    txtMemo = new QPlainTextEdit(this);
    txtMemo->setObjectName(QStringLiteral("txtMemo"));
    cboTeikei = new QComboBox(this);
    cboTeikei->setObjectName(QStringLiteral("cboTeikei"));

    chkHide = MessageWindowParts::check(this, QStringLiteral("封書"), "chkHide");
    chkReceive = MessageWindowParts::check(this, QStringLiteral("受信確認"), "chkReceive");
    chkLog = MessageWindowParts::check(this, QStringLiteral("ﾛｸﾞ保存"), "chkLog");

    auto* timerFrame = new QGroupBox(QStringLiteral("タイマー"), this);
    timerFrame->setObjectName(QStringLiteral("fraTimer"));
    optTimer[0] = new QRadioButton(QStringLiteral("ON"), timerFrame);
    optTimer[1] = new QRadioButton(QStringLiteral("OFF"), timerFrame);
    for (int k = 0; k < 2; ++k)
        optTimer[std::size_t(k)]->setObjectName(QStringLiteral("optTimer%1").arg(k));
    lblYMD = new QLabel(timerFrame);
    lblYMD->setObjectName(QStringLiteral("lblYMD"));
    lblHM = new QLabel(timerFrame);
    lblHM->setObjectName(QStringLiteral("lblHM"));
    cmdTime = MessageWindowParts::button(this, QStringLiteral("時刻設定"), "cmdTime");
    cmdTime->setParent(timerFrame);
    auto* timerLayout = new QGridLayout(timerFrame);
    timerLayout->addWidget(optTimer[0], 0, 0);
    timerLayout->addWidget(optTimer[1], 0, 1);
    timerLayout->addWidget(lblYMD, 1, 0);
    timerLayout->addWidget(lblHM, 1, 1);
    timerLayout->addWidget(cmdTime, 2, 0, 1, 2);

    cmdSend = MessageWindowParts::button(this, QStringLiteral("送信"), "cmdSend");
    cmdMail = MessageWindowParts::button(this, QStringLiteral("ﾒｰﾙ作成"), "cmdMail");
    cmdCancel = MessageWindowParts::button(this, QStringLiteral("キャンセル"), "cmdCancel");
    cmdHelp = MessageWindowParts::button(this, QStringLiteral("ヘルプ"), "cmdHelp");

    // Left: the boards and their lists; right: addressees, text, templates;
    // below: options, the timer frame and the buttons. Text and lists grow.
    auto* left = new QVBoxLayout;
    left->addWidget(cboGroup);
    left->addLayout(lists, 1);
    auto* bulk = new QHBoxLayout;
    bulk->addWidget(chkAll);
    bulk->addWidget(chkLogAll);
    bulk->addStretch(1);
    left->addLayout(bulk);

    auto* right = new QVBoxLayout;
    right->addWidget(txtAtesaki);
    right->addWidget(txtMemo, 1);
    right->addWidget(cboTeikei);

    auto* options = new QVBoxLayout;
    options->addWidget(chkHide);
    options->addWidget(chkReceive);
    options->addWidget(chkLog);
    options->addStretch(1);
    auto* buttons = new QGridLayout;
    buttons->addWidget(cmdSend, 0, 0);
    buttons->addWidget(cmdMail, 0, 1);
    buttons->addWidget(cmdCancel, 1, 0);
    buttons->addWidget(cmdHelp, 1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(options);
    bottom->addWidget(timerFrame);
    bottom->addStretch(1);
    bottom->addLayout(buttons);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addLayout(right, 3);
    auto* v = new QVBoxLayout(this);
    v->addLayout(top, 1);
    v->addLayout(bottom);
    setMinimumHeight(Twips::toPixels(kMinHeightTwips));

    connect(cboGroup, &QComboBox::currentIndexChanged, this, [this] { cboGroup_Click(); });
    connect(chkAll, &QCheckBox::toggled, this, [this] { chkAll_Click(); });
    connect(chkLogAll, &QCheckBox::toggled, this, [this] { chkLogAll_Click(); });
    connect(chkReceive, &QCheckBox::toggled, this, [this] { chkReceive_Click(); });
    connect(cboTeikei, &QComboBox::activated, this, [this] { cboTeikei_Click(); });
    for (int k = 0; k < 2; ++k)
        connect(optTimer[std::size_t(k)], &QRadioButton::toggled, this, [this, k](bool on) {
            if (on)
                optTimer_Click(k);
        });
    connect(cmdTime, &QPushButton::clicked, this, &frmMailSend::cmdTime_Click);
    connect(cmdSend, &QPushButton::clicked, this, &frmMailSend::cmdSend_Click);
    connect(cmdMail, &QPushButton::clicked, this, &frmMailSend::cmdMail_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdHelp, &QPushButton::clicked, this, [this] {
        HelpViewer::show(this, m_ctx.msgBox(), m_ctx.programPath(QStringLiteral("Porlune.HLP")), kHelpContext);
    });
}

void frmMailSend::Form_Load()
{
    const Settings& s = m_ctx.settings();

    // Fonts, size and place, presets.
    const QFont font = Twips::fontOf(s.text(73), s.realValue(74));
    for (QListWidget* list : lstName)
        list->setFont(font);
    txtAtesaki->setFont(font);
    txtMemo->setFont(font);
    resize(Twips::toPixels(s.intValue(31)), std::max(Twips::toPixels(s.intValue(30)), minimumHeight()));
    move(Twips::toPixels(s.intValue(53)), Twips::toPixels(s.intValue(54)));
    chkHide->setChecked(s.intValue(34) == 1);
    chkReceive->setChecked(s.intValue(35) == 1);
    chkLog->setChecked(s.intValue(36) == 1);
    chkReceive_Click();
    optTimer[1]->setChecked(true);
    optTimer_Click(1);

    // One list per shown board. Reading boards here must not change what the
    // main window's row table holds for its own board.
    BoardState& st = m_ctx.board();
    const QList<BoardRow> mainRows = st.rows;
    const QString mainStamp = st.lastReadStamp;
    const Fs::FileStamp mainFileStamp = st.lastReadFileStamp;
    m_bulkChange = true;
    for (BoardEntry& e : st.entries) {
        if (!e.shown || e.number == 0 || m_table.boardCount() >= ListCount)
            continue;
        if (Fs::isReadOnly(e.path))
            e.readOnly = true;
        Ikifile_Read(m_ctx, e.path);
        const int b = m_table.boardCount();
        m_table.addBoard(e.groupName, e.path, e.readOnly, st.rows);
        QListWidget* list = lstName[std::size_t(b)];
        list->clear();
        setTextColour(list, e.readOnly ? kReadOnlyGreen : kBlack);
        for (const BoardRow& row : st.rows) {
            auto* item = new QListWidgetItem(AddresseeTable::entryText(row), list);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
    st.rows = mainRows;
    st.lastReadStamp = mainStamp;
    st.lastReadFileStamp = mainFileStamp;
    m_bulkChange = false;

    // The main grid's person is checked from the start.
    const int group = m_origin.group >= 0 && m_origin.group < m_table.boardCount() ? m_origin.group : 0;
    m_mainGroup = group;
    if (m_origin.gridRow >= 0 && m_table.setChecked(group, m_origin.gridRow, true)) {
        m_preselected = m_origin.gridRow;
        showChecks(group);
    }

    for (int b = 0; b < m_table.boardCount(); ++b)
        cboGroup->addItem(m_table.board(b).groupName);
    cboGroup->setCurrentIndex(m_table.boardCount() > 0 ? group : -1);
    cboGroup_Click();
    rebuildAddresseeLine();

    loadTemplates();

    const QDateTime now = m_ctx.clock().now();
    m_initialDate = now.toString(QStringLiteral("yyyy/MM/dd"));
    m_initialTime = now.toString(QStringLiteral("HH:mm:ss"));
    lblYMD->setText(m_initialDate);
    lblHM->setText(m_initialTime);
}

void frmMailSend::loadTemplates()
{
    MessageWindowParts::loadTemplates(m_ctx, cboTeikei, QStringLiteral("(frmMailSend_Form_Load)"));
}

void frmMailSend::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void frmMailSend::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    IniFile& ini = m_ctx.iniFile();
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        const QRect g = geometry();
        const int values[4] = {int(Twips::fromPixels(g.height())), int(Twips::fromPixels(g.width())),
                               int(Twips::fromPixels(g.y())), int(Twips::fromPixels(g.x()))};
        const int numbers[4] = {30, 31, 54, 53};
        for (int k = 0; k < 4; ++k)
            if (values[k] > -1 && values[k] < 32767)
                ini.store(numbers[k], QString::number(values[k]));
    }
    ini.store(34, chkHide->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    ini.store(35, chkReceive->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    ini.store(36, chkLog->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

int frmMailSend::visibleList() const
{
    return cboGroup->currentIndex();
}

void frmMailSend::cboGroup_Click()
{
    const int shown = visibleList();
    for (int k = 0; k < ListCount; ++k)
        lstName[std::size_t(k)]->setVisible(k == shown);
}

void frmMailSend::lstName_ItemCheck(int list, int entry)
{
    const QListWidgetItem* item = lstName[std::size_t(list)]->item(entry);
    if (!item)
        return;
    m_table.setChecked(list, entry, item->checkState() == Qt::Checked);
    if (!m_bulkChange)
        rebuildAddresseeLine();
}

void frmMailSend::showChecks(int b)
{
    if (b < 0 || b >= m_table.boardCount())
        return;
    const bool wasBulk = m_bulkChange;
    m_bulkChange = true;
    QListWidget* list = lstName[std::size_t(b)];
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(m_table.isChecked(b, i) ? Qt::Checked : Qt::Unchecked);
    m_bulkChange = wasBulk;
}

void frmMailSend::chkAll_Click()
{
    const int b = visibleList();
    m_table.setAll(b, chkAll->isChecked());
    afterBulkChange(chkAll);
}

void frmMailSend::chkLogAll_Click()
{
    const int b = visibleList();
    if (chkLogAll->isChecked())
        m_table.setLoggedIn(b);
    else
        m_table.setAll(b, false);
    afterBulkChange(chkLogAll);
}

void frmMailSend::afterBulkChange(const QCheckBox* changed)
{
    const int b = visibleList();
    // Clearing a box leaves the person chosen in the main grid checked.
    if (b == m_mainGroup && m_preselected >= 0 && !changed->isChecked())
        m_table.setChecked(b, m_preselected, true);
    showChecks(b);
    if (b >= 0 && b < ListCount)
        lstName[std::size_t(b)]->setCurrentRow(-1);
    rebuildAddresseeLine();
}

void frmMailSend::rebuildAddresseeLine()
{
    m_readOnlyAddressee = m_table.readOnlyChecked();
    txtAtesaki->setText(m_table.addresseeLine());
}

void frmMailSend::cboTeikei_Click()
{
    MessageWindowParts::insertTemplate(cboTeikei, txtMemo);
}

void frmMailSend::chkReceive_Click()
{
    MessageWindowParts::colourReceiptBox(chkReceive);
}

void frmMailSend::optTimer_Click(int index)
{
    const bool on = index == 0;
    setTextColour(optTimer[0], on ? kRed : kBlack);
    setTextColour(lblYMD, on ? kRed : kBlack);
    setTextColour(lblHM, on ? kRed : kBlack);
    setTextColour(optTimer[1], on ? kBlack : kRed);
}

void frmMailSend::cmdTime_Click()
{
    frmTimeSet dialog(m_ctx, this, lblYMD->text(), lblHM->text());
    if (dialog.exec() != QDialog::Accepted)
        return;
    lblYMD->setText(dialog.date());
    lblHM->setText(dialog.time());
}

void frmMailSend::cmdSend_Click()
{
    IMessageBox& box = m_ctx.msgBox();
    rebuildAddresseeLine();
    if (m_readOnlyAddressee) {
        const MsgResult answer = box.show({QStringLiteral("読み取り専用掲示板のユーザにメッセージを送ることは出来ません\r\n"
                                                          "宛先を修正してもよろしいですか？"),
                                           QStringLiteral("送信先の確認"), MsgIcon::Exclamation,
                                           MsgButtons::OkCancel, 1, true});
        if (answer == MsgResult::Ok) {
            m_table.uncheckReadOnlyBoards();
            for (int b = 0; b < m_table.boardCount(); ++b)
                if (m_table.board(b).readOnly)
                    showChecks(b);
            rebuildAddresseeLine();
        }
        return;
    }
    if (!m_table.anyChecked()) {
        box.stop(noAddresseeText(), sendErrorTitle());
        return;
    }

    ComposeSend::Request request;
    request.scheduled = optTimer[0]->isChecked();
    if (request.scheduled) {
        request.sendTime = ComposeSend::sendTimeDigits(lblYMD->text(), lblHM->text());
        if (request.sendTime.isEmpty()) {
            box.stop(QStringLiteral("送信予定日時が正しくありません") + QStringLiteral("\r\n")
                         + QStringLiteral("[時刻設定]で日時を設定してください"),
                     sendErrorTitle());
            return;
        }
        const MsgResult answer = box.show({lblYMD->text() + u' ' + lblHM->text()
                                               + QStringLiteral("にメッセージを送信します\r\nよろしいですか？"),
                                           QStringLiteral("タイマー送信の確認"), MsgIcon::Question,
                                           MsgButtons::OkCancel, 0, true});
        if (answer != MsgResult::Ok)
            return;
    }

    const QList<AddresseeTable::Pick> picks = m_table.picks();
    request.recipients = m_table.recipients();
    request.text = txtMemo->toPlainText();
    request.sealed = chkHide->isChecked();
    request.receipt = chkReceive->isChecked();
    request.log = chkLog->isChecked();
    const ComposeSend::Outcome outcome = ComposeSend::send(m_ctx, request);
    if (!outcome.attempted)
        return;
    if (outcome.complete()) {
        accept();
        return;
    }
    // Some copies failed (each was reported): the window stays with only those
    // addressees checked, so sending again reaches them and nobody twice.
    for (int k = 0; k < picks.size() && k < outcome.delivered.size(); ++k)
        if (outcome.delivered[k])
            m_table.setChecked(picks[k].board, picks[k].entry, false);
    for (int b = 0; b < m_table.boardCount(); ++b)
        showChecks(b);
    rebuildAddresseeLine();
}

void frmMailSend::cmdMail_Click()
{
    if (!m_table.anyChecked()) {
        m_ctx.msgBox().stop(noAddresseeText(), sendErrorTitle());
        return;
    }
    const QUrl url = MailtoLink::build(m_table.mailAddresses(), txtMemo->toPlainText());
    if (!QDesktopServices::openUrl(url))
        m_ctx.msgBox().stop(QStringLiteral("メールソフトを起動できませんでした"), QStringLiteral("ﾒｰﾙ作成エラー"));
}
