#include "board/frmIkisaki.h"

#include "board/BoardAccess.h"
#include "board/MainHost.h"
#include "board/OtherWhereabouts.h"
#include "board/WhereaboutsBoxes.h"
#include "board/WhereaboutsLists.h"
#include "platform/MessageBox.h"
#include "platform/Twips.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kWidthTwips = 4800;
constexpr int kMinHeightTwips = 1965;
constexpr int kFootTwips = 420; // the strip under the list
constexpr int kStartHeightTwips = 3600;
constexpr int kHelpContext = 17;
} // namespace

frmIkisaki::frmIkisaki(AppContext& ctx, MainHost& main, int boardIndex, int initialItem, const QPoint& at,
                       const QString& initialName)
    : QDialog(main.hostWidget()), m_ctx(ctx), m_main(main), m_boardIndex(boardIndex), m_initialItem(initialItem)
{
    setObjectName(QStringLiteral("frmIkisaki"));
    setWindowTitle(QStringLiteral("他の人の行き先をセット"));

    lstName = new QListWidget(this);
    lstName->setObjectName(QStringLiteral("lstName"));
    lstName->setSelectionMode(QAbstractItemView::MultiSelection);

    m_side = new QWidget(this);
    cboIkisaki = new QComboBox(m_side);
    cboIkisaki->setObjectName(QStringLiteral("cboIkisaki"));
    cboModori = new QComboBox(m_side);
    cboModori->setObjectName(QStringLiteral("cboModori"));
    chkAll = new QCheckBox(QStringLiteral("全員"), m_side);
    chkAll->setObjectName(QStringLiteral("chkAll"));
    chkLogAll = new QCheckBox(QStringLiteral("ﾛｸﾞｲﾝ全員"), m_side);
    chkLogAll->setObjectName(QStringLiteral("chkLogAll"));
    auto* side = new QVBoxLayout(m_side);
    side->setContentsMargins(0, 0, 0, 0);
    side->setSpacing(2);
    for (QWidget* w : {static_cast<QWidget*>(cboIkisaki), static_cast<QWidget*>(cboModori),
                       static_cast<QWidget*>(chkAll), static_cast<QWidget*>(chkLogAll)})
        side->addWidget(w);
    side->addStretch(1);

    m_foot = new QWidget(this);
    cmdSettei = new QPushButton(QStringLiteral("設定"), m_foot);
    cmdSettei->setObjectName(QStringLiteral("cmdSettei"));
    cmdSettei->setDefault(true);
    cmdHelp = new QPushButton(QStringLiteral("ヘルプ"), m_foot);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    auto* foot = new QHBoxLayout(m_foot);
    foot->setContentsMargins(0, 0, 0, 0);
    foot->addStretch(1);
    foot->addWidget(cmdSettei);
    foot->addWidget(cmdHelp);

    // 2 and 3: the boxes as the main window's, in the board's font.
    const QFont font = Twips::fontOf(ctx.settings().text(73), ctx.settings().realValue(74));
    for (QComboBox* box : {cboIkisaki, cboModori}) {
        WhereaboutsBoxes::makeEditable(box);
        box->setFont(font);
    }
    WhereaboutsBoxes::fillDestinations(cboIkisaki, ctx);
    WhereaboutsBoxes::fillReturns(cboModori, ctx);

    // 4. the board as it is now; the set goes through a fresh read.
    const BoardEntry entry = ctx.board().entries[std::size_t(std::clamp(boardIndex, 0, BoardState::BoardCount - 1))];
    Ikifile_Read(ctx, entry.path);
    m_shown = ctx.board().rows;
    for (const BoardRow& row : m_shown) {
        auto* item = new QListWidgetItem(OtherWhereabouts::itemText(row), lstName);
        // Separator rows are nobody: they cannot be chosen.
        if (row.isSeparator())
            item->setFlags(Qt::ItemIsEnabled);
    }
    // 5.
    if (m_initialItem >= 0 && !initialName.isEmpty()) {
        QList<OtherWhereabouts::Pick> pick {{m_initialItem, initialName, false}};
        QList<BoardRow> probe = m_shown;
        m_initialItem = OtherWhereabouts::apply(probe, pick, {}, {}, {}).lastChanged;
    }
    if (m_initialItem >= lstName->count() || (m_initialItem >= 0 && m_shown[m_initialItem].isSeparator()))
        m_initialItem = -1;
    if (m_initialItem >= 0) {
        lstName->item(m_initialItem)->setSelected(true);
        lstName->scrollToItem(lstName->item(m_initialItem));
    }

    connect(chkAll, &QCheckBox::clicked, this, &frmIkisaki::chkAll_Click);
    connect(chkLogAll, &QCheckBox::clicked, this, &frmIkisaki::chkLogAll_Click);
    connect(cmdSettei, &QPushButton::clicked, this, &frmIkisaki::cmdSettei_Click);
    connect(cmdHelp, &QPushButton::clicked, this, [this] { m_main.showHelp(kHelpContext); });

    setFixedWidth(Twips::toPixels(kWidthTwips));
    setMinimumHeight(std::max(Twips::toPixels(kMinHeightTwips),
                              m_side->sizeHint().height() + m_foot->sizeHint().height() + 8));
    resize(width(), std::max(minimumHeight(), Twips::toPixels(kStartHeightTwips)));
    placeAt(at);
}

void frmIkisaki::placeAt(const QPoint& at)
{
    // The corner at the click, but the whole window on the screen of the click.
    QScreen* screen = QGuiApplication::screenAt(at);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    QPoint pos = at;
    if (screen) {
        const QRect area = screen->availableGeometry();
        pos.setX(std::clamp(pos.x(), area.left(), std::max(area.left(), area.right() - width())));
        pos.setY(std::clamp(pos.y(), area.top(), std::max(area.top(), area.bottom() - height())));
    }
    move(pos);
}

void frmIkisaki::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int margin = 4;
    const int foot = Twips::toPixels(kFootTwips);
    const int listWidth = (width() - 3 * margin) * 11 / 20;
    lstName->setGeometry(margin, margin, listWidth, std::max(1, height() - foot - margin));
    m_side->setGeometry(2 * margin + listWidth, margin, width() - 3 * margin - listWidth,
                        std::max(1, height() - foot - margin));
    m_foot->setGeometry(margin, height() - foot + 2, width() - 2 * margin, foot - 4);
}

void frmIkisaki::selectOnly(const std::function<bool(int)>& wanted)
{
    for (int k = 0; k < lstName->count(); ++k) {
        QListWidgetItem* item = lstName->item(k);
        item->setSelected((item->flags() & Qt::ItemIsSelectable) && wanted(k));
    }
}

void frmIkisaki::chkAll_Click()
{
    if (chkAll->isChecked())
        selectOnly([](int) { return true; });
    else
        selectOnly([this](int k) { return k == m_initialItem; });
}

void frmIkisaki::chkLogAll_Click()
{
    if (chkLogAll->isChecked())
        selectOnly([this](int k) { return lstName->item(k)->text().startsWith(u'*'); });
    else
        selectOnly([this](int k) { return k == m_initialItem; });
}

void frmIkisaki::cmdSettei_Click()
{
    // 1. the board of the group shown, as the group switch finds it.
    BoardState& board = m_ctx.board();
    const int index = std::clamp(m_boardIndex, 0, BoardState::BoardCount - 1);
    const QString path = board.entries[std::size_t(index)].path;
    board.currentPath = path;

    QList<OtherWhereabouts::Pick> picks;
    for (int k = 0; k < lstName->count() && k < m_shown.size(); ++k)
        if (lstName->item(k)->isSelected())
            picks.append({k, m_shown[k].name, m_shown[k].isSeparator()});
    const QString destination = cboIkisaki->currentText();
    const QString expectedReturn = cboModori->currentText();

    // 2 and 3. The change may run again on fresh content: each run starts over.
    QString logLine;
    OtherWhereabouts::Outcome outcome;
    const CycleResult result = runUpdateCycle(m_ctx, index, path, [&](QList<BoardRow>& rows) {
        outcome = OtherWhereabouts::apply(rows, picks, destination, expectedReturn, SetTimeText(m_ctx.clock()));
        logLine = outcome.lastChanged >= 0
            ? otherWhereaboutsLogLine(DateTimeText(m_ctx.clock(), 1), rows[outcome.lastChanged])
            : QString();
    });
    if (result == CycleResult::Unreachable) {
        // Others' rows are not kept for later: the window stays, with the
        // choice made, to be set again once the share is back.
        m_ctx.msgBox().show({QStringLiteral("掲示板の共有フォルダに接続できないため、設定できませんでした。\n"
                                            "接続が戻ってから、もう一度設定してください。"),
                             QStringLiteral("他の人の行き先をセット"), MsgIcon::Exclamation, MsgButtons::Ok});
        return;
    }
    if (result != CycleResult::Written) {
        outcome = {};
        logLine.clear();
    }
    // 4.
    m_main.cboGroup_Click();
    // 5.
    if (m_ctx.settings().intValue(65) == 1)
        appendWhereaboutsLog(m_ctx, logLine, QStringLiteral("(frmIkisaki_cmdSettei_Click"));
    m_notChanged = outcome.notChanged;
    if (!m_notChanged.isEmpty())
        m_ctx.msgBox().show({QStringLiteral("掲示板が他で変更されたため、次の人は設定できませんでした。\n")
                                 + m_notChanged.join(u'\n'),
                             QStringLiteral("他の人の行き先をセット"), MsgIcon::Exclamation, MsgButtons::Ok});
    // 6.
    accept();
}
