#include "board/frmMain.h"

#include "board/BoardAccess.h"
#include "board/GridHeader.h"
#include "board/WhereaboutsBoxes.h"
#include "messaging/MessageNotice.h"
#include "board/WhereaboutsLists.h"
#include "board/frmAutoInput.h"
#include "board/frmIcon.h"
#include "board/frmIkisaki.h"
#include "messaging/MailNames.h"
#include "messaging/Mailbox.h"
#include "messaging/ScheduledMail.h"
#include "messaging/frmMSettei.h"
#include "messaging/frmMessage.h"
#include "messaging/frmReceive.h"
#include "messaging/frmUnsent.h"
#include "platform/Paths.h"
#include "platform/SharedClaim.h"
#include "platform/StartTrace.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmFilePath.h"
#include "ftp/FtpSync.h"
#include "dialogs/frmFilePath2.h"
#include "dialogs/frmKFEdit.h"
#include "dialogs/frmKLEdit.h"
#include "dialogs/frmHSettei.h"
#include "dialogs/frmKeijiban.h"
#include "ftp/frmFTPEdit.h"
#include "dialogs/frmKSettei.h"
#include "dialogs/frmKobetsu.h"
#include "dialogs/frmUser.h"
#include "memo/frmInfomation.h"
#include "messaging/frmMailSend.h"
#include "platform/FileOps.h"
#include "platform/GlobalHotKey.h"
#include "platform/HelpViewer.h"
#include "msglog/ViewerCommands.h"
#include "msglog/frmMsgView.h"
#include "platform/MessageBox.h"
#include "platform/NativeWindow.h"
#include "platform/SystemColors.h"
#include "platform/TrayIcon.h"
#include "platform/Twips.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"
#include "startup/Version.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDesktopServices>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

// Grid columns: header, width setting, shown-flag setting.
struct ColumnDef {
    const char16_t* header;
    const char16_t* menuCaption;
    int widthSetting;
    int shownSetting;
};
constexpr ColumnDef kColumns[7] = {
    {u"ﾛｸﾞｲﾝ", u"ﾛｸﾞｲﾝ", 5, 45},
    {u"名前", u"名前", 6, 46},
    {u"行き先", u"行き先", 7, 47},
    {u"設定日時", u"設定日時", 8, 48},
    {u"戻り予定", u"戻り", 9, 49},
    {u"内線", u"内線番号", 22, 50},
    {u"ﾒｰﾙｱﾄﾞﾚｽ", u"ﾒｰﾙｱﾄﾞﾚｽ", 78, 79},
};

QString separatorText()
{
    return QString(57, u'-');
}

// Draws cells as a flex grid does: text one pixel from the cell's edge and
// clipped, not elided, so the stored column widths show what they showed.
class GridCellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const bool selected = opt.state & QStyle::State_Selected;
        const QVariant back = index.data(Qt::BackgroundRole);
        const QVariant fore = index.data(Qt::ForegroundRole);
        painter->save();
        painter->setClipRect(opt.rect);
        if (selected)
            painter->fillRect(opt.rect, opt.palette.brush(QPalette::Highlight));
        else if (back.canConvert<QBrush>())
            painter->fillRect(opt.rect, back.value<QBrush>());
        painter->setPen(selected ? opt.palette.color(QPalette::HighlightedText)
                                 : fore.canConvert<QBrush>() ? fore.value<QBrush>().color()
                                                             : opt.palette.color(QPalette::Text));
        painter->setFont(opt.font);
        painter->drawText(opt.rect.adjusted(1, 0, -1, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, opt.text);
        painter->restore();
    }
};

// Room the layout keeps beside and below the grid, in twips.
constexpr int kSideMarginTwips = 110;
constexpr int kBottomMarginTwips = 1170;

} // namespace

frmMain::frmMain(AppContext& ctx, QWidget* parent)
    : QMainWindow(parent), m_ctx(ctx), m_absence(ctx), m_presence(std::make_unique<BoardPresence>(ctx))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(captionBase());
    for (QTimer* t : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &Timer6})
        t->stop();
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer2.setObjectName(QStringLiteral("Timer2"));
    Timer3.setObjectName(QStringLiteral("Timer3"));
    Timer4.setObjectName(QStringLiteral("Timer4"));
    Timer5.setObjectName(QStringLiteral("Timer5"));
    Timer6.setObjectName(QStringLiteral("Timer6"));
    Timer1.setInterval(1000);
    Timer2.setInterval(10000);
    Timer3.setInterval(10000);
    Timer4.setInterval(1000);
    Timer5.setInterval(1000);
    Timer6.setInterval(10000);
    connect(&Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &frmMain::Timer2_Timer);
    connect(&Timer3, &QTimer::timeout, this, &frmMain::Timer3_Timer);
    connect(&Timer4, &QTimer::timeout, this, &frmMain::Timer4_Timer);
    connect(&Timer5, &QTimer::timeout, this, &frmMain::Timer5_Timer);
    connect(&Timer6, &QTimer::timeout, this, &frmMain::Timer6_Timer);

    buildControls();
    buildMenus();

    // Tray icon and hot key: a left click or the hot key brings the window
    // back, a right click opens the tray menu; the tip follows the caption.
    ITrayIcon& tray = m_ctx.trayIcon();
    connect(&tray, &ITrayIcon::leftClicked, this, &frmMain::restoreMainWindow);
    connect(&tray, &ITrayIcon::rightClicked, this, &frmMain::trayIcon_RightClick);
    connect(this, &QWidget::windowTitleChanged, this, [this](const QString& caption) {
        ITrayIcon& t = m_ctx.trayIcon();
        if (t.isAdded())
            t.modify(m_trayPicture, caption);
    });
    connect(&m_ctx.hotKey(), &IGlobalHotKey::activated, this, &frmMain::restoreMainWindow);
}

frmMain::~frmMain()
{
    // A window destroyed without its unload still gives back the tray icon,
    // the hot key and the mail mark.
    delete m_frmIcon.data();
    if (!m_unloaded) {
        m_ctx.trayIcon().remove();
        m_ctx.hotKey().unregisterHotKey();
    }
}

QString frmMain::captionBase() const
{
    return mainCaption();
}

QAction* frmMain::addItem(QMenu* menu, const QString& caption, const char* name, bool enabled)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    a->setEnabled(enabled);
    return a;
}

void frmMain::buildControls()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Frame1"));
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(2, 2, 2, 2);
    v->setSpacing(2);

    m_cbr1 = new QWidget(central);
    m_cbr1->setObjectName(QStringLiteral("cbr1"));
    auto* h1 = new QHBoxLayout(m_cbr1);
    h1->setContentsMargins(0, 0, 0, 0);
    cboGroup = new QComboBox(m_cbr1);
    cboGroup->setObjectName(QStringLiteral("cboGroup"));
    cboGroup->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    h1->addWidget(cboGroup, 1);

    m_cbr2 = new QWidget(central);
    m_cbr2->setObjectName(QStringLiteral("cbr2"));
    cboIkisaki = new QComboBox;
    cboIkisaki->setObjectName(QStringLiteral("cboIkisaki"));
    WhereaboutsBoxes::makeEditable(cboIkisaki);
    cboModori = new QComboBox;
    cboModori->setObjectName(QStringLiteral("cboModori"));
    WhereaboutsBoxes::makeEditable(cboModori);
    cmdSettei = new QPushButton(QStringLiteral("設定"));
    cmdSettei->setObjectName(QStringLiteral("cmdSettei"));
    QWidget* bandContent[3] = {cboIkisaki, cboModori, cmdSettei};
    for (int k = 0; k < 3; ++k) {
        auto* band = new QWidget(m_cbr2);
        band->setObjectName(QStringLiteral("cbr2Band%1").arg(k + 1));
        auto* bl = new QHBoxLayout(band);
        bl->setContentsMargins(0, 0, 0, 0);
        bl->addWidget(bandContent[k]);
        m_bands[std::size_t(k)] = band;
    }

    DataGrid1 = new QTableWidget(0, 7, central);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setHorizontalHeader(new GridHeader(Qt::Horizontal, DataGrid1));
    DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DataGrid1->verticalHeader()->hide();
    DataGrid1->setWordWrap(false);
    // Cells clip as a flex grid does: the column widths are the user's, and a
    // "…" would hide the end of a time or an extension.
    DataGrid1->setItemDelegate(new GridCellDelegate(DataGrid1));
    DataGrid1->setContextMenuPolicy(Qt::NoContextMenu);
    DataGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Stored widths below the style's minimum stand as they are; otherwise a
    // narrow column would come back wider at every start.
    DataGrid1->horizontalHeader()->setMinimumSectionSize(1);
    QStringList headers;
    for (const ColumnDef& c : kColumns)
        headers.append(QString::fromUtf16(c.header));
    DataGrid1->setHorizontalHeaderLabels(headers);
    DataGrid1->viewport()->installEventFilter(this);
    DataGrid1->horizontalHeader()->viewport()->installEventFilter(this);

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    statusBar()->setObjectName(QStringLiteral("stbStatus"));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(lblStatus, 1);

    v->addWidget(m_cbr1);
    v->addWidget(m_cbr2);
    v->addWidget(DataGrid1, 1);
    setCentralWidget(central);

    for (QWidget* w : {static_cast<QWidget*>(cboGroup), static_cast<QWidget*>(DataGrid1),
                       static_cast<QWidget*>(cmdSettei)})
        w->installEventFilter(this);

    connect(cboGroup, &QComboBox::activated, this, [this] { cboGroup_Click(); });
    connect(cmdSettei, &QPushButton::clicked, this, &frmMain::cmdSettei_Click);
    connect(DataGrid1, &QTableWidget::cellDoubleClicked, this, [this] {
        if (QAction* a = findChild<QAction*>(QStringLiteral("mnuMassage")); a && a->isEnabled())
            a->trigger();
    });
}

void frmMain::buildMenus()
{
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("ファイル"));
    file->setObjectName(QStringLiteral("mnuFile"));
    connect(addItem(file, QStringLiteral("共有ファイルの場所の設定"), "mnuKyoyu"), &QAction::triggered, this,
            [this] { openDialog<frmFilePath>(); });
    connect(addItem(file, QStringLiteral("個別ファイルの場所の設定"), "mnuKobetsuF"), &QAction::triggered, this,
            [this] { openDialog<frmFilePath2>(); });
    file->addSeparator();
    connect(addItem(file, QStringLiteral("メッセージビューワ起動"), "mnuMview"), &QAction::triggered, this,
            &frmMain::mnuMview_Click);
    connect(addItem(file, QStringLiteral("メッセージログを見る"), "mnuMLog"), &QAction::triggered, this,
            &frmMain::mnuMLog_Click);
    connect(addItem(file, QStringLiteral("行き先ログを見る"), "mnuGoLog"), &QAction::triggered, this,
            &frmMain::mnuGoLog_Click);
    file->addSeparator();
    connect(addItem(file, QStringLiteral("Porluneを終了する"), "mnuEnd"), &QAction::triggered, this,
            &frmMain::unload);

    QMenu* view = bar->addMenu(QStringLiteral("表示"));
    view->setObjectName(QStringLiteral("mnuView"));
    for (int i = 0; i < 7; ++i) {
        QAction* a = view->addAction(QString::fromUtf16(kColumns[i].menuCaption));
        a->setObjectName(QStringLiteral("mnuHCol%1").arg(i));
        a->setProperty("index", i);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] { mnuHCol_Click(i); });
        mnuHCol[std::size_t(i)] = a;
    }
    view->addSeparator();
    connect(addItem(view, QStringLiteral("未受信ﾒｯｾｰｼﾞ一覧"), "mnuReceive"), &QAction::triggered, this,
            [this] { openDialog<frmReceive>(); });
    connect(addItem(view, QStringLiteral("未送信メッセージ一覧"), "mnuUnsent"), &QAction::triggered, this,
            [this] { openDialog<frmUnsent>(); });
    view->addSeparator();
    connect(addItem(view, QStringLiteral("今日は何の日？"), "mnuNani"), &QAction::triggered, this,
            [this] { openDialog<frmInfomation>(); });

    QAction* massage = bar->addAction(QStringLiteral("ﾒｯｾｰｼﾞ"));
    massage->setObjectName(QStringLiteral("mnuMassage"));
    connect(massage, &QAction::triggered, this, &frmMain::mnuMassage_Click);

    QAction* update = bar->addAction(QStringLiteral("更新"));
    update->setObjectName(QStringLiteral("mnuUpdate"));
    connect(update, &QAction::triggered, this, [this] {
        Timer1_Shori();
        cboGroup_Click();
    });

    QMenu* settings = bar->addMenu(QStringLiteral("設定"));
    settings->setObjectName(QStringLiteral("mnuSettei"));
    connect(addItem(settings, QStringLiteral("ユーザ情報"), "mnuUser"), &QAction::triggered, this,
            [this] { openDialog<frmUser>(); });
    connect(addItem(settings, QStringLiteral("基本設定"), "mnuBasic"), &QAction::triggered, this,
            [this] { openDialog<frmKSettei>(); });
    connect(addItem(settings, QStringLiteral("掲示板の選択"), "mnuBanSel"), &QAction::triggered, this,
            [this] { openDialog<frmKeijiban>(); });
    connect(addItem(settings, QStringLiteral("個別入力"), "mnuKobetsu"), &QAction::triggered, this,
            [this] { openDialog<frmKobetsu>(); });
    connect(addItem(settings, QStringLiteral("自動入力"), "mnuAutoInput"), &QAction::triggered, this,
            &frmMain::mnuAutoInput_Click);
    connect(addItem(settings, QStringLiteral("メッセージ"), "mnuMSettei"), &QAction::triggered, this,
            [this] { openDialog<frmMSettei>(); });
    connect(addItem(settings, QStringLiteral("表示設定"), "mnuHyojiS"), &QAction::triggered, this,
            [this] { openDialog<frmHSettei>(); });
    settings->addSeparator();
    mnuEndSet = addItem(settings, QStringLiteral("今日は終了時に自動入力しない"), "mnuEndSet");
    mnuEndSet->setCheckable(true);
    connect(mnuEndSet, &QAction::triggered, this, &frmMain::mnuEndSet_Click);

    QMenu* admin = bar->addMenu(QStringLiteral("管理者用"));
    admin->setObjectName(QStringLiteral("mnuKanri"));
    connect(addItem(admin, QStringLiteral("掲示板ファイルエディタ"), "mnuIkisakiEdit"), &QAction::triggered, this,
            [this] { openEditor<frmKFEdit>(); });
    connect(addItem(admin, QStringLiteral("掲示板リストエディタ"), "mnuKeijibanEdit"), &QAction::triggered, this,
            [this] { openEditor<frmKLEdit>(); });
    connect(addItem(admin, QStringLiteral("FTPリストエディタ"), "mnuFtpEdit"), &QAction::triggered, this,
            [this] { openEditor<frmFTPEdit>(); });

    QMenu* help = bar->addMenu(QStringLiteral("ヘルプ"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(addItem(help, QStringLiteral("目次"), "mnuMokuji"), &QAction::triggered, this, [this] { showHelp(11); });
    connect(addItem(help, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"), "mnuVersion"), &QAction::triggered, this,
            [this] { openDialog<frmAbout>(); });
    connect(addItem(help, QStringLiteral("作者ﾎｰﾑﾍﾟｰｼﾞへ"), "mnuHomePage"), &QAction::triggered, this,
            [] { QDesktopServices::openUrl(QUrl(QStringLiteral("https://porlune.example.jp/"))); });

    m_popup1 = new QMenu(QStringLiteral("ポップアップ１"), this);
    m_popup1->setObjectName(QStringLiteral("mnuPopup1"));
    connect(addItem(m_popup1, QStringLiteral("メッセージ確認"), "mnuMassageCheck"), &QAction::triggered, this,
            &frmMain::Timer1_Shori);
    connect(addItem(m_popup1, QStringLiteral("Porluneを終了する"), "mnuP_End"), &QAction::triggered, this,
            &frmMain::unload);

    m_popup2 = new QMenu(QStringLiteral("ポップアップ２"), this);
    m_popup2->setObjectName(QStringLiteral("mnuPopup2"));
    mnuHokaSet = addItem(m_popup2, QStringLiteral("他の人の行き先をセット"), "mnuHokaSet", false);
    connect(mnuHokaSet, &QAction::triggered, this, &frmMain::mnuHokaSet_Click);
    connect(addItem(m_popup2, QStringLiteral("ﾒｰﾙｱﾄﾞﾚｽをｺﾋﾟｰ"), "mnuMeadoCopy"), &QAction::triggered, this,
            &frmMain::mnuMeadoCopy_Click);
    m_popup2->addSeparator();
    mnuEndSet2 = addItem(m_popup2, QStringLiteral("今日は終了時に自動入力しない"), "mnuEndSet2");
    mnuEndSet2->setCheckable(true);
    connect(mnuEndSet2, &QAction::triggered, this, &frmMain::mnuEndSet_Click);
}

void frmMain::Form_Load()
{
    const Settings& s = m_ctx.settings();
    m_loading = true;
    const auto loaded = qScopeGuard([this] { m_loading = false; });
    // 1. hidden while it is built; the FTP counter runs the first sync at once.
    hide();
    m_timer5Count = 30000;
    setWindowTitle(captionBase());

    // 2.
    m_trayPicture = 0;
    m_ctx.trayIcon().add(m_trayPicture, windowTitle());
    StartTrace::mark("tray");

    // 3. board table and group box; selects the group used last.
    fillGroupBox(Banfile_Read(m_ctx));
    StartTrace::mark("board list");

    // 4.
    s.intValue(39) == 1 ? Timer2.start() : Timer2.stop();
    s.intValue(40) == 1 ? Timer3.start() : Timer3.stop();

    // 5. a key that cannot be had is not reported; it simply does nothing.
    if (s.intValue(63) == 1)
        m_ctx.hotKey().registerHotKey(s.intValue(64));
    StartTrace::mark("hot key");

    // 6. window geometry from twips.
    resize(Twips::toPixels(s.intValue(2)), Twips::toPixels(s.intValue(1)));
    move(Twips::toPixels(s.intValue(3)), Twips::toPixels(s.intValue(4)));

    // 7. the bands of cbr2: order, widths, rows.
    {
        auto* grid = new QGridLayout(m_cbr2);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setHorizontalSpacing(4);
        grid->setVerticalSpacing(2);
        std::array<int, 3> order {0, 1, 2};
        std::sort(order.begin(), order.end(), [&](int a, int b) { return s.intValue(13 + a) < s.intValue(13 + b); });
        int row = 0, col = 0;
        for (int k : order) {
            if (col > 0 && s.intValue(10 + k) != 0) {
                ++row;
                col = 0;
            }
            QWidget* band = m_bands[std::size_t(k)];
            band->setMinimumWidth(Twips::toPixels(s.realValue(16 + k)));
            grid->addWidget(band, row, col++);
        }
        grid->setColumnStretch(col, 1);
    }

    // 8 and 12. grid headers, widths and the column menu.
    applyColumnWidths();
    const int rowHeight = std::max(1, Twips::toPixels(s.intValue(75)));
    DataGrid1->verticalHeader()->setMinimumSectionSize(1);
    DataGrid1->verticalHeader()->setDefaultSectionSize(rowHeight);
    StartTrace::mark("layout");

    // 9. A board whose share is away gets the login once it is back.
    Ikifile_Login(m_ctx, true);
    m_presence->beat();
    StartTrace::mark("login");

    // 10.
    loadLists();
    StartTrace::mark("lists");

    // 13. font of the three boxes (the grid cells get it as they are filled).
    applyBoxFont();
    StartTrace::mark("box font");

    // 14. messages left open at the last exit go back into the inbox.
    TmpFile_Restore(m_ctx);
    m_ctx.earliestSendTime() = TimerMail_Next(m_ctx);
    StartTrace::mark("restore and schedule");

    // Ended from inside the load, or an end asked for during it that follows
    // the load: nothing more to start, poll or show.
    if (m_unloaded || m_unloadPending)
        return;

    // 15.
    restartTimers();
    generalTimersChanged();
    s.intValue(104) > 0 ? Timer6.start() : Timer6.stop();
    StartTrace::mark("timers");

    // 16.
    cboGroup_Click();
    StartTrace::mark("board shown");
    Timer1_Shori();
    StartTrace::mark("message poll");
    if (!m_unloaded && !m_unloadPending)
        show();
    StartTrace::mark("shown");

    // 11. presses from before the start do not count as use. Primed once the
    // window is on its way to the screen, so that the watch's own X connection
    // does not hold up the first show; it misses only the load's last moments.
    m_absence.start();
    StartTrace::mark("inactivity watch");
}

void frmMain::applyColumnWidths()
{
    const Settings& s = m_ctx.settings();
    for (int i = 0; i < 7; ++i) {
        const bool shown = s.intValue(kColumns[i].shownSetting) != 0;
        mnuHCol[std::size_t(i)]->setChecked(shown);
        if (shown) {
            DataGrid1->setColumnHidden(i, false);
            DataGrid1->setColumnWidth(i, std::max(1, Twips::toPixels(s.realValue(kColumns[i].widthSetting))));
        } else {
            DataGrid1->setColumnHidden(i, true);
        }
    }
}

void frmMain::fillGroupBox(const GroupBoxItems& groups)
{
    cboGroup->clear();
    cboGroup->addItems(groups.items);
    cboGroup->setCurrentIndex(groups.selected);
}

void frmMain::loadLists()
{
    reloadDestinations();
    reloadReturns();
}

void frmMain::reloadDestinations()
{
    WhereaboutsBoxes::fillDestinations(cboIkisaki, m_ctx);
}

void frmMain::reloadReturns()
{
    WhereaboutsBoxes::fillReturns(cboModori, m_ctx);
}

void frmMain::reloadBoards()
{
    // The exit's logout walks only the boards chosen then: one the user is
    // logged in on now and that the new choice (or a new board list) leaves
    // out is logged out of at once, or the user would stay shown there.
    auto chosen = [this] {
        QStringList paths;
        for (const BoardEntry& e : m_ctx.board().entries)
            if (e.shown && e.loggedIn && !paths.contains(e.path))
                paths.append(e.path);
        return paths;
    };
    QStringList left = chosen();
    fillGroupBox(Banfile_Read(m_ctx));
    for (const QString& path : chosen())
        left.removeAll(path);
    Ikifile_LogoutOf(m_ctx, left);
    if (cboGroup->itemText(0).isEmpty()) {
        // No board is shown any more: the group switch leaves the grid alone,
        // which would keep showing a board that is no longer chosen.
        DataGrid1->setRowCount(0);
        m_ctx.board().currentPath.clear();
        m_ctx.board().shownPath.clear();
    }
    m_forceRedraw = true;
    cboGroup_Click();
}

void frmMain::applyBoxFont()
{
    const Settings& s = m_ctx.settings();
    const QFont font = Twips::fontOf(s.text(73), s.realValue(74));
    for (QComboBox* box : {cboGroup, cboIkisaki, cboModori})
        box->setFont(font);
    DataGrid1->setFont(font);
}

void frmMain::redrawBoard()
{
    m_forceRedraw = true;
    cboGroup_Click();
}

void frmMain::endProgram()
{
    // Queued: the dialog that asked is still on the stack.
    QTimer::singleShot(0, this, &frmMain::unload);
}

void frmMain::showHelp(int context)
{
    HelpViewer::show(this, m_ctx.msgBox(), m_ctx.programPath(QStringLiteral("Porlune.HLP")), context);
}

int frmMain::runDialog(QDialog& dialog)
{
    pauseMessageTimers();
    const int result = dialog.exec();
    resumeMessageTimers();
    return result;
}

void frmMain::restartTimers()
{
    resumeMessageTimers();
}

void frmMain::pauseMessageTimers()
{
    Timer1.stop();
    Timer2.stop();
}

void frmMain::resumeMessageTimers()
{
    if (m_unloaded)
        return; // a window closed by the unload does not start the polls again
    const Settings& s = m_ctx.settings();
    if (s.intValue(37) > 0)
        Timer1.start();
    if (s.intValue(39) == 1)
        Timer2.start();
}

bool frmMain::endSetChecked() const
{
    return mnuEndSet->isChecked();
}

void frmMain::cboGroup_Click()
{
    if (cboGroup->count() == 0 || cboGroup->itemText(0).isEmpty())
        return;
    ++m_groupSwitches;
    const auto done = qScopeGuard([this] { --m_groupSwitches; });
    BoardState& board = m_ctx.board();
    const int index = selectedBoardIndex();
    BoardEntry& entry = board.entries[std::size_t(index)];
    board.currentPath = entry.path;
    const int rows = Ikifile_Read(m_ctx, entry.path);
    entry.rowCount = rows;
    const QList<ShareHealth::Place> gone = m_presence->boardRead(entry.path);
    // Each place that has just gone away is told once; the status line shows
    // it until it comes back. The box comes after the switch, so that the
    // refresh (and the status line) goes on while it is open.
    for (ShareHealth::Place p : gone) {
        const QString text = ShareHealth::outageText(p, m_presence->health().state(p).path);
        QTimer::singleShot(0, this, [this, text] {
            if (!m_unloaded)
                m_ctx.msgBox().show({text, QStringLiteral("共有フォルダ接続エラー"), MsgIcon::Exclamation, MsgButtons::Ok, 0, false});
        });
    }
    if (!Fs::exists(entry.path)) {
        // A share that is away keeps the last rows in view (marked in the
        // status line); a board file that is not there shows no rows.
        if (!Fs::isDir(QFileInfo(entry.path).absolutePath()) && board.shownPath == entry.path) {
            applyRowMarks();
            return;
        }
        DataGrid1->setRowCount(0);
        board.shownPath.clear();
        applyRowMarks();
        return;
    }
    Ikifile_Show(entry.path, m_forceRedraw);
    m_forceRedraw = false;
    m_currentReadOnly = entry.readOnly;
    mnuHokaSet->setEnabled(!m_currentReadOnly);
}

int frmMain::selectedBoardIndex() const
{
    const BoardState& board = m_ctx.board();
    const int selected = std::max(0, cboGroup->currentIndex());
    int shown = 0;
    for (int k = 0; k < BoardState::BoardCount; ++k)
        if (board.entries[std::size_t(k)].shown && ++shown == selected + 1)
            return k;
    return BoardState::BoardCount - 1;
}

void frmMain::mnuHokaSet_Click()
{
    if (m_currentReadOnly || cboGroup->itemText(0).isEmpty())
        return;
    frmIkisaki dialog(m_ctx, *this, selectedBoardIndex(), m_rightClickItem, m_lastRightClick, m_rightClickName);
    runDialog(dialog);
}

void frmMain::mnuAutoInput_Click()
{
    openDialog<frmAutoInput>();
}

void frmMain::absenceWatchChanged()
{
    m_ctx.settings().intValue(SettingNo::InactivityTime) > 0 ? Timer6.start() : Timer6.stop();
}

void frmMain::generalTimersChanged()
{
    const Settings& s = m_ctx.settings();
    s.intValue(41) > 0 ? Timer4.start() : Timer4.stop();
    s.intValue(SettingNo::FtpInterval) > 0 ? Timer5.start() : Timer5.stop();
}

bool frmMain::sharedWorkUnderWay() const
{
    return m_ctx.board().cyclesRunning > 0 || m_groupSwitches > 0 || m_polling;
}

// The message window needs a name to send under and a mail place to send to.
void frmMain::mnuMassage_Click()
{
    const Settings& s = m_ctx.settings();
    if (s.text(SettingNo::UserName).isEmpty() || s.text(SettingNo::MailPlace).trimmed().isEmpty()) {
        m_ctx.msgBox().show({QStringLiteral("ユーザ名もしくは、メールの置き場所が正しく設定されていません。"),
                             QStringLiteral("メッセージ作成エラー"), MsgIcon::Stop, MsgButtons::Ok, 0, true});
        return;
    }
    // Stopped before the window loads: a box during its loading lets window
    // messages run, and a poll then would open message windows over it.
    pauseMessageTimers();
    frmMailSend dialog(m_ctx, this, {cboGroup->currentIndex(), DataGrid1->currentRow()});
    runDialog(dialog);
}

void frmMain::Ikifile_Show(const QString& path, bool force)
{
    if (!Fs::exists(path))
        return;
    BoardState& board = m_ctx.board();
    if (Fs::isReadOnly(path)) {
        for (BoardEntry& e : board.entries)
            if (e.number != 0 && e.path == path)
                e.readOnly = true;
        const int cur = cboGroup->currentIndex();
        const QString mark = QStringLiteral("(読み取り専用)");
        if (cur >= 0 && !cboGroup->itemText(cur).endsWith(mark))
            cboGroup->setItemText(cur, cboGroup->itemText(cur) + mark);
        m_currentReadOnly = true;
        mnuHokaSet->setEnabled(false);
    }

    const Fs::FileStamp stamp = Fs::stamp(path);
    if (!force && path == board.shownPath && stamp == m_shownStamp) {
        updateCaptionTime();
        DataGrid1->clearSelection();
        DataGrid1->setCurrentItem(nullptr);
        applyRowMarks();
        return;
    }

    // The row table holds the board just read by the group switch; a fill of
    // another path reads it here.
    if (path != board.currentPath || board.lastReadFileStamp != stamp)
        Ikifile_Read(m_ctx, path);
    board.shownPath = path;
    board.shownStamp = board.lastReadStamp;
    m_shownStamp = board.lastReadFileStamp;

    const Settings& s = m_ctx.settings();
    const QColor inBack = SystemColors::fromSetting(s.intValue(69));
    const QColor inText = SystemColors::fromSetting(s.intValue(70));
    const QColor outBack = SystemColors::fromSetting(s.intValue(71));
    const QColor outText = SystemColors::fromSetting(s.intValue(72));
    const QFont font = Twips::fontOf(s.text(73), s.realValue(74));
    const int rowHeight = std::max(1, Twips::toPixels(s.intValue(75)));

    DataGrid1->setUpdatesEnabled(false);
    DataGrid1->clearContents();
    DataGrid1->setRowCount(board.rowCount());
    for (int r = 0; r < board.rowCount(); ++r) {
        const BoardRow& row = board.rows[r];
        const QStringList cells = row.isSeparator()
            ? QStringList(7, separatorText())
            : QStringList {row.login == QLatin1String("1") ? QStringLiteral("*") : QStringLiteral(" "),
                           row.name, row.destination, row.setTime, row.expectedReturn, row.extension,
                           row.mailAddress};
        const bool loggedOut = row.login == QLatin1String("0");
        DataGrid1->setRowHeight(r, rowHeight);
        for (int c = 0; c < 7; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            item->setBackground(loggedOut ? outBack : inBack);
            item->setForeground(loggedOut ? outText : inText);
            item->setFont(font);
            DataGrid1->setItem(r, c, item);
        }
    }
    DataGrid1->setUpdatesEnabled(true);
    DataGrid1->clearSelection();
    DataGrid1->setCurrentItem(nullptr);
    updateCaptionTime();
    applyRowMarks();
}

void frmMain::applyRowMarks()
{
    const BoardState& board = m_ctx.board();
    const Settings& s = m_ctx.settings();
    const QColor inBack = SystemColors::fromSetting(s.intValue(69));
    const QColor inText = SystemColors::fromSetting(s.intValue(70));
    const QColor outBack = SystemColors::fromSetting(s.intValue(71));
    const QColor outText = SystemColors::fromSetting(s.intValue(72));
    const QColor overdueBack = SystemColors::fromSetting(s.intValue(SettingNo::OverdueColor));
    const int rows = board.shownPath == board.currentPath ? std::min(DataGrid1->rowCount(), board.rowCount()) : 0;
    for (int r = 0; r < rows; ++r) {
        const BoardRow& row = board.rows[r];
        QTableWidgetItem* login = DataGrid1->item(r, 0);
        QTableWidgetItem* ret = DataGrid1->item(r, 4);
        if (row.isSeparator() || !login || !ret)
            continue;
        const bool loggedOut = row.login == QLatin1String("0");
        const BoardPresence::RowMark mark = m_presence->markOf(board.shownPath, row);
        login->setForeground(mark.stale ? QColor(Qt::gray) : loggedOut ? outText : inText);
        login->setToolTip(mark.staleTip);
        ret->setBackground(mark.overdue ? overdueBack : loggedOut ? outBack : inBack);
        ret->setToolTip(mark.overdueTip);
    }
    lblStatus->setText(m_presence->health().statusText() + ShareHealth::pendingText(pendingChangeCount(m_ctx)));
}

void frmMain::updateCaptionTime()
{
    setWindowTitle(captionBase() + QStringLiteral(" (ﾃﾞｰﾀ取得日時:") + SetTimeText(m_ctx.clock())
                   + QStringLiteral(")"));
}

void frmMain::cmdSettei_Click()
{
    const Settings& s = m_ctx.settings();
    const QString name = s.text(26);
    const QString destination = cboIkisaki->currentText();
    const QString expectedReturn = cboModori->currentText();
    const QString extension = s.text(27);
    const QString mail = s.text(28);
    // The moment the user set it, also on a board whose share is away and
    // takes the change only when it is back.
    const QString setTime = SetTimeText(m_ctx.clock());
    const QString when = DateTimeText(m_ctx.clock(), 1);
    auto logLine = std::make_shared<QString>();
    bool kept = false;
    for (int k = 0; k < BoardState::BoardCount; ++k) {
        const BoardEntry& e = m_ctx.board().entries[std::size_t(k)];
        if (e.number < 1 || e.number > BoardState::BoardCount || !e.shown || !e.loggedIn)
            continue;
        const CycleResult r = updateOrKeep(m_ctx, k, e.path, [=](QList<BoardRow>& rows) {
            forEachOwnRow(rows, name, [&](BoardRow& row) {
                row.destination = destination;
                row.expectedReturn = expectedReturn;
                row.extension = extension;
                row.setTime = setTime;
                row.mailAddress = mail;
                *logLine = whereaboutsLogLine(when, row);
            });
        });
        kept = kept || r == CycleResult::Unreachable;
    }
    if (logLine->isEmpty() && kept) {
        // Written later: the log has the line now, as the user set it.
        BoardRow row;
        row.name = name;
        row.login = QStringLiteral("1");
        row.destination = destination;
        row.expectedReturn = expectedReturn;
        row.setTime = setTime;
        row.extension = extension;
        row.mailAddress = mail;
        *logLine = whereaboutsLogLine(when, row);
    }
    cboGroup_Click();

    if (s.intValue(65) == 1)
        appendWhereaboutsLog(m_ctx, *logLine);
    if (s.intValue(66) == 1) {
        cboIkisaki->setEditText(s.text(67));
        cboModori->setEditText(s.text(68));
    }
}

void frmMain::Timer1_Shori()
{
    if (m_polling)
        return; // a poll waiting between two messages is still running
    m_polling = true;
    MailPlace_Fetch(m_ctx);
    const Mailbox box(m_ctx);
    const QString tmp = box.tmpFolderPath();
    for (const QString& name : box.inboxFiles()) {
        const QString inboxPath = m_ctx.programPath(name);
        // A file whose move to "TMP" failed stays in the inbox with its window
        // open; showing it again would answer its receipt twice.
        const QList<frmMessage*> open = messageWindows();
        if (std::any_of(open.begin(), open.end(), [&](frmMessage* w) { return w->filePath() == inboxPath; }))
            continue;
        auto* w = new frmMessage(m_ctx, *this, name);
        connect(w, &frmMessage::closed, this, [this](frmMessage* closed) { m_messages.removeAll(closed); });
        w->show();
        if (m_ctx.settings().intValue(SettingNo::Notify) == 1) {
            const MessageNotice notice = messageNotice(w->message());
            m_ctx.trayIcon().showMessage(notice.title, notice.text);
        }
        m_messages.append(w);
        if (Mailbox::moveNoReplace(inboxPath, Paths::join(tmp, QStringLiteral("TMP") + name)) != 0)
            w->setFilePath(inboxPath);
        SharedClaim::waitLettingEventsRun(100);
    }
    m_polling = false;
}

QList<frmMessage*> frmMain::messageWindows() const
{
    QList<frmMessage*> out;
    for (const QPointer<frmMessage>& w : m_messages)
        if (w)
            out.append(w);
    return out;
}

void frmMain::Timer1_Timer()
{
    if (sharedWorkUnderWay())
        return;
    if (++m_timer1Count > m_ctx.settings().intValue(37)) {
        m_timer1Count = 0;
        Timer1_Shori();
    }
}

// --- Tray icon, hot key and mail mark -------------------------------------

frmIcon* frmMain::mailMark() const
{
    return m_frmIcon.data();
}

bool frmMain::messageWindowOpen() const
{
    // A received message whose window is open has its file in "TMP" under
    // "TMP" + own name + "." + number. A name that cannot be a file name (an
    // empty one would match everybody's) has none.
    const QString name = m_ctx.settings().text(26);
    if (!MailNames::isUsableName(name))
        return false;
    return !Fs::list(m_ctx.programPath(MailNames::tmpFolder()), QStringLiteral("TMP") + name + QStringLiteral(".*"))
                .isEmpty();
}

void frmMain::Timer2_Timer()
{
    if (messageWindowOpen()) {
        if (Timer2.interval() != 100)
            Timer2.setInterval(100);
        if (!m_frmIcon)
            m_frmIcon = new frmIcon;
        m_frmIcon->moveBesideCursor(QCursor::pos());
        if (!m_frmIcon->isVisible())
            m_frmIcon->show();
    } else {
        if (m_frmIcon) {
            m_frmIcon->close(); // deletes itself
            m_frmIcon = nullptr;
        }
        if (Timer2.interval() != 10000)
            Timer2.setInterval(10000);
    }
}

void frmMain::Timer3_Timer()
{
    ITrayIcon& tray = m_ctx.trayIcon();
    if (messageWindowOpen()) {
        if (Timer3.interval() != 500)
            Timer3.setInterval(500);
        m_trayPicture = m_trayPicture == 0 ? 1 : 0;
        tray.modify(m_trayPicture, windowTitle());
    } else {
        if (m_trayPicture == 1) {
            m_trayPicture = 0;
            tray.modify(m_trayPicture, windowTitle());
        }
        if (Timer3.interval() != 10000)
            Timer3.setInterval(10000);
    }
}

bool frmMain::canHideFromView() const
{
    // A hidden window comes back only through the tray icon or the hot key.
    // On a desktop without a notification area and no hot key held, hiding
    // would leave the program running out of reach (and a new start refused
    // as a second copy): the window stays minimized instead.
    return m_ctx.trayIcon().isShownInArea() || m_ctx.hotKey().registeredCode() != 0;
}

void frmMain::restoreMainWindow()
{
    if (m_unloaded)
        return;
    // 1 and 2: normal state, visible (hidden ones as well as minimized ones).
    // A window hidden while minimized may still carry the system's marks of
    // that state and would come back minimized (and be hidden again).
    if (isHidden())
        NativeWindow::clearMinimizedMarks(windowHandle());
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    show();
    // 3: in front of the other windows; raising does not take the focus.
    raise();
}

void frmMain::trayIcon_RightClick(const QPoint& globalPos)
{
    if (m_unloaded)
        return;
    m_popup1->popup(globalPos);
}

void frmMain::Timer4_Timer()
{
    // Board work still under way lets ticks run from its waits and its error
    // box: a refresh started from inside it would wait and box again, nested
    // deeper at every tick while the board stays unreadable.
    if (sharedWorkUnderWay())
        return;
    if (++m_timer4Count > m_ctx.settings().intValue(41)) {
        m_timer4Count = 0;
        m_presence->beat();
        // Whereabouts set while a share was away, now that it may be back.
        if (pendingChangeCount(m_ctx) > 0)
            flushPendingChanges(m_ctx);
        cboGroup_Click();
    }
    if (m_groupSwitches > 0)
        return;
    // Stopped meanwhile, so that a run's error box does not let the next tick in.
    if (m_unloaded || !Timer4.isActive())
        return;
    if (m_dispatchHeld)
        return;
    Timer4.stop();
    TimerMail_Check(m_ctx, m_dispatchFailure);
    if (!m_unloaded)
        Timer4.start();
}

void frmMain::holdScheduledDispatch(bool hold)
{
    m_dispatchHeld = hold;
}

void frmMain::messageSettingsChanged()
{
    const Settings& s = m_ctx.settings();
    m_timer1Count = 0;
    // The dialog that saved them restarts Timer1 and Timer2 by their settings
    // when it closes; what is turned off goes away now, not at the next tick.
    if (s.intValue(39) != 1 && m_frmIcon) {
        m_frmIcon->close(); // deletes itself
        m_frmIcon = nullptr;
    }
    if (s.intValue(40) == 1) {
        Timer3.start();
    } else {
        Timer3.stop();
        if (m_trayPicture == 1) {
            m_trayPicture = 0;
            m_ctx.trayIcon().modify(m_trayPicture, windowTitle());
        }
    }
}

void frmMain::Timer5_Timer()
{
    if (sharedWorkUnderWay())
        return;
    if (++m_timer5Count > m_ctx.settings().intValue(82)) {
        m_timer5Count = 0;
        FtpList_Sync();
    }
}

void frmMain::FtpList_Sync()
{
    if (!m_ftpSync)
        m_ftpSync = std::make_unique<FtpSync>(m_ctx.ftpClient());
    m_ftpSync->FtpList_Sync(m_ctx.ftpList());
}

void frmMain::Timer6_Timer()
{
    if (sharedWorkUnderWay() || m_unloaded)
        return;
    if (m_absence.tick())
        cboGroup_Click();
}

void frmMain::mnuHCol_Click(int i)
{
    QAction* item = mnuHCol[std::size_t(i)];
    // The action toggled itself before this runs; its new state is the wish.
    const bool show = item->isChecked();
    Settings& s = m_ctx.settings();
    if (show) {
        DataGrid1->setColumnHidden(i, false);
        DataGrid1->setColumnWidth(i, std::max(1, Twips::toPixels(s.realValue(kColumns[i].widthSetting))));
    } else {
        // Hidden columns keep their width setting for when they come back.
        DataGrid1->setColumnHidden(i, true);
    }
    s.setInt(kColumns[i].shownSetting, show ? 1 : 0);
    m_ctx.iniFile().Inifile_Write(kColumns[i].shownSetting, show ? QStringLiteral("1") : QStringLiteral("0"));
}

void frmMain::mnuMeadoCopy_Click()
{
    QClipboard* cb = QApplication::clipboard();
    cb->clear();
    const int r = DataGrid1->currentRow();
    if (r >= 0 && r < DataGrid1->rowCount()) {
        if (QTableWidgetItem* item = DataGrid1->item(r, 6))
            cb->setText(item->text());
    }
    m_forceRedraw = true;
    cboGroup_Click();
}

void frmMain::mnuEndSet_Click()
{
    const bool checked = qobject_cast<QAction*>(sender()) ? qobject_cast<QAction*>(sender())->isChecked()
                                                          : !mnuEndSet->isChecked();
    mnuEndSet->setChecked(checked);
    mnuEndSet2->setChecked(checked);
}

void frmMain::mnuMLog_Click()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_ctx.settings().text(32)));
}

void frmMain::mnuGoLog_Click()
{
    const QString path = m_ctx.settings().text(33);
    if (FileExists(path) == 0) {
        m_ctx.msgBox().stop(QStringLiteral("行き先ログファイルが見つかりません\n"
                                           "[ファイル]-[個別ファイルの場所の設定]を確認してください"),
                            QStringLiteral("ファイルが見つかりません"));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void frmMain::mnuMview_Click()
{
    if (m_viewer) {
        // One viewer at a time: the open one comes to the front.
        m_viewer->showNormal();
        m_viewer->raise();
        m_viewer->activateWindow();
        return;
    }
    if (!frmMsgView::canOpenLog(m_ctx.settings().text(SettingNo::MessageLog))) {
        pauseMessageTimers();
        m_ctx.msgBox().show({QStringLiteral("メッセージログファイルが見つかりません\n"
                                            "正しい、メッセージログファイルの場所を指定して下さい"),
                             QStringLiteral("メッセージログ読み込みエラー"), MsgIcon::Stop, MsgButtons::Ok, 0, true});
        resumeMessageTimers();
        return;
    }
    m_viewer = new frmMsgView(m_ctx, *this);
    new ViewerCommands(m_ctx, *this, *m_viewer); // a child of the viewer
    m_viewer->Form_Load();
    m_viewer->show();
    Q_EMIT viewerOpened(m_viewer);
}

frmMsgView* frmMain::viewer() const
{
    return m_viewer;
}

void frmMain::DataGrid1_MouseDown(const QPoint& pos)
{
    const int r = DataGrid1->rowAt(pos.y());
    m_rightClickItem = r;
    const QTableWidgetItem* name = r >= 0 ? DataGrid1->item(r, 1) : nullptr;
    m_rightClickName = name ? name->text() : QString();
    if (r < 0)
        return;
    DataGrid1->setCurrentCell(r, 0);
    DataGrid1->selectRow(r);
}

void frmMain::showGridMenu(const QPoint& globalPos)
{
    m_lastRightClick = globalPos;
    mnuHokaSet->setEnabled(!m_currentReadOnly && !cboGroup->itemText(0).isEmpty());
    m_popup2->popup(globalPos);
}

bool frmMain::handleKey(QKeyEvent* event)
{
    const int key = event->key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        if (m_ctx.settings().intValue(52) == 1) {
            const int item = key - Qt::Key_F1;
            if (item < cboGroup->count()) {
                cboGroup->setCurrentIndex(item);
                cboGroup_Click();
            }
        }
        return true;
    }
    if (key == Qt::Key_Escape && m_ctx.settings().intValue(76) == 1) {
        showMinimized();
        return true;
    }
    return false;
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        if (handleKey(static_cast<QKeyEvent*>(event)))
            return true;
    } else if (watched == DataGrid1->horizontalHeader()->viewport()) {
        // The header row: the menu without anybody chosen.
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::RightButton) {
                if (event->type() == QEvent::MouseButtonPress) {
                    m_rightClickItem = -1;
                    m_rightClickName.clear();
                }
                else
                    showGridMenu(me->globalPosition().toPoint());
                return true;
            }
        }
    } else if (watched == DataGrid1->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::RightButton) {
                DataGrid1_MouseDown(me->position().toPoint());
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::RightButton) {
                showGridMenu(me->globalPosition().toPoint());
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::keyPressEvent(QKeyEvent* event)
{
    if (!handleKey(event))
        QMainWindow::keyPressEvent(event);
}

void frmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const Settings& s = m_ctx.settings();
    if (windowState() & Qt::WindowMinimized) {
        m_wasMinimized = true;
        // Deferred out of the state change; a restore in between (tray
        // click, hot key) must not be undone by it.
        if (s.intValue(43) == 1)
            QTimer::singleShot(0, this, [this] {
                if (isMinimized() && canHideFromView())
                    hide();
            });
    } else if (!(windowState() & Qt::WindowMaximized)) {
        if (s.intValue(55) == 1 && m_wasMinimized) {
            MailPlace_Fetch(m_ctx); // shown at the next poll
            m_forceRedraw = true;
            cboGroup_Click();
        }
        m_wasMinimized = false;
        layoutControls();
    }
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        layoutControls();
}

void frmMain::layoutControls()
{
    // The window keeps room for the tool bars and at least a few grid rows.
    const int minHeight = m_cbr2->sizeHint().height() + m_cbr1->sizeHint().height()
        + Twips::toPixels(kBottomMarginTwips);
    if (minimumHeight() != minHeight)
        setMinimumHeight(std::min(minHeight, 600));
    Q_UNUSED(kSideMarginTwips);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Our own unload never closes the window, so a close event comes from the
    // window's close button (or the desktop's window list): with setting 42 it
    // only takes the window out of view. Shutdown and log-off unload directly.
    if (!m_unloaded && m_ctx.settings().intValue(42) == 1) {
        event->ignore();
        if (m_ctx.settings().intValue(43) == 1 && canHideFromView())
            hide();
        else
            showMinimized();
        return;
    }
    event->accept();
    unload();
}

void frmMain::endBySystem()
{
    m_ctx.deferMessageBoxes();
    if (!m_endWatch) {
        m_endWatch = true;
        // Every share wait is bounded, but several in a row may not be; a
        // board is replaced in one step, so ending in the middle loses nothing.
        std::thread([] {
            std::this_thread::sleep_for(std::chrono::seconds(kEndBySystemLimitSeconds));
            std::_Exit(0);
        }).detach();
    }
    unload();
}

void frmMain::unload()
{
    if (m_unloaded)
        return;
    // Asked for from inside a wait (the tray's end item, a terminate signal)
    // while a board is being changed or the window is loading: the logout would
    // find the board busy, or the load's login would undo it, and the load would
    // show the window again. The unload follows once they are done (an open
    // dialog's own change, such as the user dialog's login, included).
    if (m_loading || m_ctx.board().cyclesRunning > 0) {
        // A message box shown from inside them waits for a user who may never
        // come (the session is ending): it is closed, as the unload closes
        // every other window, so that they can end. One that cannot be closed
        // leaves the unload to go on at once rather than hang.
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box)
            box->close();
        if (!box || !box->isVisible()) {
            if (!m_unloadPending) {
                m_unloadPending = true;
                QTimer::singleShot(50, this, [this] {
                    m_unloadPending = false;
                    unload();
                });
            }
            return;
        }
    }
    m_unloaded = true;
    for (QTimer* t : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &Timer6})
        t->stop();
    // The transfer under way gives up; a board half fetched is never applied.
    if (m_ftpSync)
        m_ftpSync->stop();
    // 1. every other window of the program; open messages stay in "TMP" and
    // are shown again at the next start.
    for (frmMessage* w : messageWindows())
        w->unloadQuietly();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible() && !qobject_cast<QMenu*>(w))
            w->close();
    // 2.
    Ikifile_Logout(m_ctx, endSetChecked());
    m_presence->stop();
    // 3 to 6.
    saveLayout();
    // 7.
    m_ctx.trayIcon().remove();
    m_ctx.hotKey().unregisterHotKey();
    hide();
    Q_EMIT unloaded();
}

void frmMain::saveLayout()
{
    Settings& s = m_ctx.settings();
    IniFile& ini = m_ctx.iniFile();
    auto saveInt = [&](int number, int value) {
        s.setInt(number, value);
        ini.Inifile_Write(number, QString::number(value));
    };
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        // The size is the one resize() takes; the place is the frame's, as
        // move() takes it at the next start (the inner corner would move the
        // window by its frame at every start).
        const QRect g = geometry();
        const int values[4] = {int(Twips::fromPixels(g.height(), s.intValue(1))),
                               int(Twips::fromPixels(g.width(), s.intValue(2))),
                               int(Twips::fromPixels(x(), s.intValue(3))),
                               int(Twips::fromPixels(y(), s.intValue(4)))};
        for (int k = 0; k < 4; ++k)
            if (values[k] > -1 && values[k] < 32767)
                saveInt(1 + k, values[k]);
    }
    for (int i = 0; i < 7; ++i) {
        if (DataGrid1->isColumnHidden(i) || DataGrid1->columnWidth(i) <= 0)
            continue;
        const int number = kColumns[i].widthSetting;
        s.setReal(number, Twips::fromPixels(DataGrid1->columnWidth(i), s.realValue(number)));
        ini.writeBack(number);
    }
    for (int k = 0; k < 3; ++k) {
        ini.writeBack(10 + k);
        ini.writeBack(13 + k);
        ini.writeBack(16 + k);
    }
    saveInt(62, std::max(0, cboGroup->currentIndex()));
}
