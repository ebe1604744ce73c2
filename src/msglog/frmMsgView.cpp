#include "msglog/frmMsgView.h"

#include "board/MainHost.h"
#include "msglog/MessageDisplay.h"
#include "msglog/frmBar.h"
#include "msglog/frmKensaku.h"
#include "msglog/frmPass2.h"
#include "platform/MessageBox.h"
#include "platform/SystemColors.h"
#include "platform/Twips.h"
#include "startup/AppContext.h"
#include "startup/IniFile.h"
#include "startup/Settings.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QTableView>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeWidget>

#include <map>

namespace {

constexpr int NodeRole = Qt::UserRole;          // index into the model's nodes
constexpr int ImageRole = Qt::UserRole + 1;     // image number, 1 to 6
constexpr int SelectedImageRole = Qt::UserRole + 2;

// The six pictures of the tree: closed and open folder, person (selected and
// not), empty and full trash.
QPixmap picture(int image)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case LogView::Folder:
    case LogView::FolderOpen:
        p.setPen(QColor(150, 110, 20));
        p.setBrush(image == LogView::Folder ? QColor(240, 200, 80) : QColor(255, 230, 140));
        p.drawRect(1, 4, 13, 10);
        p.drawRect(1, 2, 6, 2);
        if (image == LogView::FolderOpen)
            p.drawPolygon(QPolygon({QPoint(3, 8), QPoint(15, 8), QPoint(13, 14), QPoint(1, 14)}));
        break;
    case LogView::Person:
    case LogView::PersonSelected:
        p.setPen(Qt::NoPen);
        p.setBrush(image == LogView::Person ? QColor(60, 110, 200) : QColor(220, 90, 40));
        p.drawEllipse(5, 1, 6, 6);
        p.drawRoundedRect(2, 8, 12, 7, 3, 3);
        break;
    case LogView::TrashEmpty:
    case LogView::TrashFull:
        p.setPen(QColor(80, 80, 80));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(3, 4, 10, 11);
        p.drawLine(1, 3, 15, 3);
        if (image == LogView::TrashFull) {
            p.setBrush(QColor(255, 255, 255));
            p.drawRect(4, 1, 4, 5);
            p.drawRect(7, 0, 5, 4);
        }
        break;
    default:
        break;
    }
    return pm;
}

QIcon nodeIcon(int image, int selectedImage)
{
    QIcon icon(picture(image));
    icon.addPixmap(picture(selectedImage), QIcon::Selected);
    return icon;
}

} // namespace

frmMsgView::frmMsgView(AppContext& ctx, MainHost& host) : QMainWindow(nullptr), m_ctx(ctx), m_host(host), m_grid(m_log)
{
    setObjectName(QStringLiteral("frmMsgView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("メッセージビューワ"));
    buildControls();
    buildMenus();
}

frmMsgView::~frmMsgView()
{
    if (!m_closed)
        m_host.resumeMessageTimers();
}

bool frmMsgView::canOpenLog(const QString& path)
{
    QFile f(path);
    return !path.isEmpty() && f.open(QIODevice::ReadOnly);
}

QString frmMsgView::logPath() const
{
    return m_ctx.settings().text(SettingNo::MessageLog);
}

void frmMsgView::buildControls()
{
    m_central = new QWidget(this);
    setCentralWidget(m_central);

    cboTVSort = new QComboBox(m_central);
    cboTVSort->setObjectName(QStringLiteral("cboTVSort"));
    TreeView1 = new QTreeWidget(m_central);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setUniformRowHeights(true);
    DataGrid1 = new QTableView(m_central);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setModel(&m_grid);
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataGrid1->setWordWrap(false);
    DataGrid1->verticalHeader()->hide();
    DataGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* titles = DataGrid1->horizontalHeader();
    titles->setObjectName(QStringLiteral("DataGrid1Titles"));
    titles->setMinimumSectionSize(1);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titles->setHighlightSections(false);
    titles->setSectionsClickable(true);
    // A title click sorts the rows; it does not select the column.
    QObject::disconnect(titles, SIGNAL(sectionPressed(int)), DataGrid1, SLOT(selectColumn(int)));
    QObject::disconnect(titles, SIGNAL(sectionEntered(int)), DataGrid1, SLOT(_q_selectColumn(int)));
    connect(titles, &QHeaderView::sectionClicked, this, &frmMsgView::DataGrid1_TitleClick);
    DataGrid1->installEventFilter(this);
    DataGrid1->viewport()->installEventFilter(this);
    txtMsg = new QTextEdit(m_central);
    txtMsg->setObjectName(QStringLiteral("txtMsg"));
    txtMsg->setReadOnly(true);
    txtMsg->setAcceptRichText(false);

    const auto bar = [this](const char* name, QFrame::Shape shape, Qt::CursorShape cursor) {
        auto* f = new QFrame(m_central);
        f->setObjectName(QString::fromLatin1(name));
        f->setFrameShape(shape);
        f->setCursor(cursor);
        return f;
    };
    Image1 = bar("Image1", QFrame::NoFrame, Qt::SplitHCursor);
    Image2 = bar("Image2", QFrame::NoFrame, Qt::SplitVCursor);
    Picture1 = bar("Picture1", QFrame::Box, Qt::SplitHCursor);
    Picture4 = bar("Picture4", QFrame::Box, Qt::SplitVCursor);
    for (QFrame* f : {Picture1, Picture4}) {
        f->setAutoFillBackground(true);
        QPalette pal = f->palette();
        pal.setColor(QPalette::Window, QColor(96, 96, 96));
        f->setPalette(pal);
        f->hide();
    }
    Image1->installEventFilter(this);
    Image2->installEventFilter(this);

    connect(cboTVSort, &QComboBox::currentIndexChanged, this, [this] { cboTVSort_Click(); });
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!item)
            return;
        const int i = item->data(0, NodeRole).toInt();
        if (i >= 0 && i < m_log.nodes().size())
            TVNodeClick(m_log.nodes()[i].key);
    });
    connect(DataGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { DataGrid1_SelChange(); });
}

void frmMsgView::buildMenus()
{
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("ファイル"));
    file->setObjectName(QStringLiteral("mnuFile"));
    const auto item = [this](QMenu* menu, const QString& caption, const char* name) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    mnuLock = item(file, QStringLiteral("ログを暗号化する"), "mnuLock");
    mnuUnlock = item(file, QStringLiteral("暗号化を解除する"), "mnuUnlock");
    file->addSeparator();
    mnuPrint = item(file, QStringLiteral("印刷"), "mnuPrint");
    file->addSeparator();
    connect(item(file, QStringLiteral("終了"), "mnuEnd"), &QAction::triggered, this, &QWidget::close);
    connect(file, &QMenu::aboutToShow, this, &frmMsgView::updateCommands);

    QAction* search = bar->addAction(QStringLiteral("検索"));
    search->setObjectName(QStringLiteral("mnuKensaku"));
    connect(search, &QAction::triggered, this, &frmMsgView::mnuKensaku_Click);
    mnuSettei = bar->addAction(QStringLiteral("設定"));
    mnuSettei->setObjectName(QStringLiteral("mnuSettei"));
    QAction* help = bar->addAction(QStringLiteral("ヘルプ"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(help, &QAction::triggered, this, [this] { m_host.showHelp(35); });

    connect(mnuLock, &QAction::triggered, this, &frmMsgView::lockRequested);
    connect(mnuUnlock, &QAction::triggered, this, &frmMsgView::unlockRequested);
    connect(mnuPrint, &QAction::triggered, this, &frmMsgView::printRequested);
    connect(mnuSettei, &QAction::triggered, this, &frmMsgView::settingsRequested);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("mnuPop"));
    mnuPopModosu = item(m_popup, QStringLiteral("このメッセージを元に戻す(BS)"), "mnuPopModosu");
    mnuPopGomi = item(m_popup, QStringLiteral("このメッセージをゴミ箱へ(DEL)"), "mnuPopGomi");
    mnuPopGomi2 = item(m_popup, QStringLiteral("このメッセージを完全に削除(DEL)"), "mnuPopGomi2");
    connect(mnuPopModosu, &QAction::triggered, this, &frmMsgView::restoreRequested);
    connect(mnuPopGomi, &QAction::triggered, this, &frmMsgView::moveToTrashRequested);
    connect(mnuPopGomi2, &QAction::triggered, this, &frmMsgView::purgeRequested);
    updateCommands();
}

template<typename Signal>
bool frmMsgView::wired(Signal signal) const
{
    return isSignalConnected(QMetaMethod::fromSignal(signal));
}

void frmMsgView::updateCommands()
{
    mnuLock->setEnabled(!m_locked && wired(&frmMsgView::lockRequested));
    mnuUnlock->setEnabled(m_locked && wired(&frmMsgView::unlockRequested));
    mnuPrint->setEnabled(wired(&frmMsgView::printRequested));
    mnuSettei->setEnabled(wired(&frmMsgView::settingsRequested));
    const bool trash = inTrashNode();
    mnuPopModosu->setEnabled(trash && wired(&frmMsgView::restoreRequested));
    mnuPopGomi->setEnabled(!trash && wired(&frmMsgView::moveToTrashRequested));
    mnuPopGomi2->setEnabled(trash && wired(&frmMsgView::purgeRequested));
}

void frmMsgView::setLockedState(bool locked)
{
    m_locked = locked;
    setWindowTitle(locked ? QStringLiteral("メッセージビューワ（暗号化ファイル）") : QStringLiteral("メッセージビューワ"));
    updateCommands();
}

void frmMsgView::applyLook()
{
    const Settings& s = m_ctx.settings();
    m_background = SystemColors::fromSetting(s.intValue(94));
    m_text = SystemColors::fromSetting(s.intValue(95));
    m_odd = SystemColors::fromSetting(s.intValue(96));
    m_even = SystemColors::fromSetting(s.intValue(97));
    m_header = SystemColors::fromSetting(s.intValue(101));
    const QFont font = Twips::fontOf(s.text(98), s.realValue(99));
    m_grid.setLook({m_background, m_text, font});
    DataGrid1->verticalHeader()->setDefaultSectionSize(std::max(1, Twips::toPixels(s.intValue(100))));
    QPalette pal = txtMsg->palette();
    pal.setColor(QPalette::Base, m_background);
    pal.setColor(QPalette::Text, m_text);
    txtMsg->setPalette(pal);
    txtMsg->setFont(font);
    // The pane is drawn again with the new colours.
    const qint64 shown = m_shown;
    m_shown = -1;
    if (shown >= 0)
        DataGrid1_SelChange();
}

void frmMsgView::Form_Load()
{
    m_host.pauseMessageTimers();
    const Settings& s = m_ctx.settings();
    setLockedState(false);
    setMinimumWidth(Twips::toPixels(2000));
    resize(Twips::toPixels(s.intValue(88)), Twips::toPixels(s.intValue(87)));
    move(Twips::toPixels(s.intValue(89)), Twips::toPixels(s.intValue(90)));
    applyLook();
    {
        const QSignalBlocker block(cboTVSort);
        cboTVSort->addItems(LogView::sortEntries());
        cboTVSort->setCurrentIndex(-1);
    }
    m_split1 = Twips::toPixels(s.intValue(91));
    m_split2 = Twips::toPixels(s.intValue(92));
    const int widthSettings[5] = {83, 84, 85, 86, 93};
    for (int c = 0; c < 5; ++c)
        DataGrid1->setColumnWidth(c, std::max(1, Twips::toPixels(s.realValue(widthSettings[c]))));
    m_grid.DataGridTitleSet(3, 1);
    layoutPanes();
    Msglog_Read();
    m_log.setCurrentIndex(LogView::NoSort);
    cboTVSort->setCurrentIndex(0); // builds the date tree
}

void frmMsgView::setBusy(bool busy)
{
    m_busy = busy;
    m_central->setEnabled(!busy);
    menuBar()->setEnabled(!busy);
    if (!busy && m_closeAsked) {
        m_closeAsked = false;
        close();
    }
}

void frmMsgView::Msglog_Read()
{
    int error = 0;
    Fs::FileStamp stamp;
    const QByteArray bytes = Fs::readBytes(logPath(), &error, &stamp);
    if (error) {
        // The table keeps what it had.
        m_ctx.msgBox().show({QStringLiteral("メッセージログファイルが見つかりません\n"
                                            "正しい、メッセージログファイルの場所を指定して下さい"),
                             QStringLiteral("メッセージログ読み込みエラー"), MsgIcon::Stop, MsgButtons::Ok, 0, true});
        return;
    }
    m_stamp = stamp;
    // Locked or not is read from the file every time: another copy may have
    // locked or unlocked it since the last load.
    const std::optional<QString> password = MessageLog::lockPassword(bytes);
    setLockedState(password.has_value());
    if (password && m_password != *password) {
        const std::optional<QString> typed = frmPass2::ask(this, m_ctx.msgBox(), frmPass2::EnterPassword);
        if (typed && *typed != *password)
            m_ctx.msgBox().show({QStringLiteral("パスワードが暗号化された時のものと違います\n"
                                                "正しいパスワードを入力してください"),
                                 QStringLiteral("復元エラー"), MsgIcon::Stop, MsgButtons::Ok, 0, true});
        if (!typed || *typed != *password) {
            m_log.load({});
            return;
        }
        m_password = *typed;
    }

    setBusy(true);
    MessageLog::ParseResult result;
    {
        frmBar bar(this, QStringLiteral("メッセージを読み込んでいます．．．"), bytes.size());
        result = MessageLog::parse(bytes, [&bar](qint64 done, qint64) { bar.step(done); });
    }
    const QList<MessageLog::DateError> errors = result.dateErrors;
    m_log.load(std::move(result));
    const bool closeAsked = m_closeAsked;
    m_closeAsked = false;
    setBusy(false);
    if (!closeAsked)
        MessageLog::reportDateErrors(errors, m_ctx.msgBox());
    else
        close();
}

QString frmMsgView::messagePaneText() const
{
    return txtMsg->toPlainText();
}

void frmMsgView::setPassword(const QString& password)
{
    m_password = password;
}

void frmMsgView::cboTVSort_Click()
{
    if (m_busy || cboTVSort->currentIndex() < 0)
        return;
    if (m_log.select(cboTVSort->currentIndex()))
        fillTree();
}

void frmMsgView::fillTree()
{
    const QSignalBlocker block(TreeView1);
    TreeView1->setUpdatesEnabled(false);
    TreeView1->clear();
    const QList<LogView::Node>& nodes = m_log.nodes();
    std::vector<QTreeWidgetItem*> items(std::size_t(nodes.size()), nullptr);
    QList<QTreeWidgetItem*> roots;
    // A few pictures serve hundreds of nodes: each is drawn once.
    std::map<std::pair<int, int>, QIcon> icons;
    for (int i = 0; i < nodes.size(); ++i) {
        const LogView::Node& n = nodes[i];
        QTreeWidgetItem* parent = n.parent >= 0 ? items[std::size_t(n.parent)] : nullptr;
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem();
        item->setText(0, n.text);
        item->setData(0, NodeRole, i);
        item->setData(0, ImageRole, n.image);
        item->setData(0, SelectedImageRole, n.selectedImage);
        auto icon = icons.find({n.image, n.selectedImage});
        if (icon == icons.end())
            icon = icons.emplace(std::pair {n.image, n.selectedImage}, nodeIcon(n.image, n.selectedImage)).first;
        item->setIcon(0, icon->second);
        items[std::size_t(i)] = item;
        if (!parent)
            roots.append(item);
    }
    TreeView1->addTopLevelItems(roots);
    for (int i = 0; i < nodes.size(); ++i)
        if (nodes[i].expanded)
            items[std::size_t(i)]->setExpanded(true);
    TreeView1->setUpdatesEnabled(true);
}

void frmMsgView::TVNodeClick(const LogView::NodeKey& key)
{
    m_currentKey = key;
    m_grid.setRows(m_log.listed(key));
    txtMsg->clear();
    m_shown = -1;
}

void frmMsgView::rebuild()
{
    const LogView::NodeKey saved = m_currentKey;
    Msglog_Read();
    if (m_log.currentIndex() == LogView::NoSort)
        m_log.setCurrentIndex(cboTVSort->currentIndex() < 0 ? 0 : cboTVSort->currentIndex());
    m_log.build();
    fillTree();
    const int i = m_log.findNode(saved);
    if (i >= 0) {
        const QSignalBlocker block(TreeView1);
        QTreeWidgetItemIterator it(TreeView1);
        for (; *it; ++it)
            if ((*it)->data(0, NodeRole).toInt() == i) {
                TreeView1->setCurrentItem(*it);
                break;
            }
    }
    TVNodeClick(saved);
}

void frmMsgView::reloadDateTree()
{
    Msglog_Read();
    m_log.setCurrentIndex(LogView::NoSort);
    const QSignalBlocker block(cboTVSort);
    cboTVSort->setCurrentIndex(0);
    m_log.select(0);
    fillTree();
    TVNodeClick({});
}

QList<qint64> frmMsgView::selectedRecords() const
{
    QList<int> rows;
    for (const QModelIndex& i : DataGrid1->selectionModel()->selectedRows())
        rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    QList<qint64> out;
    for (int r : rows)
        if (const qint32 k = m_grid.recordAt(r); k >= 0)
            out.append(k + 1);
    return out;
}

void frmMsgView::DataGrid1_SelChange()
{
    QPalette pal = txtMsg->palette();
    pal.setColor(QPalette::Base, m_background);
    txtMsg->setPalette(pal);
    const QModelIndex current = DataGrid1->currentIndex();
    if (!current.isValid())
        return;
    const qint32 k = m_grid.recordAt(current.row());
    if (k < 0 || k + 1 == m_shown)
        return;
    txtMsg->setUpdatesEnabled(false);
    txtMsg->clear();
    QTextCursor cursor(txtMsg->document());
    for (const MessageDisplay::Run& run : MessageDisplay::runs(m_log.table(), k)) {
        QTextCharFormat f;
        switch (run.role) {
        case MessageDisplay::Role::Header:
            f.setForeground(m_header);
            break;
        case MessageDisplay::Role::Text:
            f.setForeground(m_text);
            break;
        case MessageDisplay::Role::OddQuote:
            f.setForeground(m_odd);
            break;
        case MessageDisplay::Role::EvenQuote:
            f.setForeground(m_even);
            break;
        }
        // Plain text with a character format: whatever the message holds
        // ("<img>", "<a>") is shown as it was written.
        QString text = run.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        cursor.insertText(text, f);
    }
    txtMsg->moveCursor(QTextCursor::Start);
    txtMsg->setUpdatesEnabled(true);
    m_shown = k + 1;
}

void frmMsgView::DataGrid1_TitleClick(int column)
{
    if (column < 1 || column > 4)
        return;
    m_grid.titleClicked(column);
    // The selection follows the message shown.
    const int row = m_grid.rowOfNumber(m_shown);
    if (row >= 0) {
        const QSignalBlocker block(DataGrid1->selectionModel());
        DataGrid1->selectionModel()->setCurrentIndex(m_grid.index(row, 0),
                                                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

void frmMsgView::showPopup(const QPoint& globalPos)
{
    DataGrid1_SelChange();
    updateCommands();
    m_popup->popup(globalPos);
}

void frmMsgView::showSearchResult(const QList<qint32>& records)
{
    m_grid.setRows(records);
    txtMsg->clear();
    m_shown = -1;
    m_currentKey = {};
}

void frmMsgView::mnuKensaku_Click()
{
    frmKensaku search(m_ctx, m_host, *this);
    search.exec();
}

void frmMsgView::layoutPanes()
{
    const int w = m_central->width();
    const int h = m_central->height();
    const int gap = std::max(1, Twips::toPixels(40));
    const int treeTop = Twips::toPixels(300);
    const int x = std::clamp(m_split1, 0, std::max(0, w - gap));
    cboTVSort->setGeometry(0, 0, std::max(0, x), std::min(cboTVSort->sizeHint().height(), treeTop));
    TreeView1->setGeometry(0, treeTop, std::max(0, x), std::max(0, h - treeTop));
    Image1->setGeometry(x, 0, gap, h);
    const int right = x + gap;
    const int rw = std::max(0, w - right);
    const int y = std::clamp(m_split2, 0, std::max(0, h - gap));
    DataGrid1->setGeometry(right, 0, rw, y);
    Image2->setGeometry(right, y, rw, gap);
    txtMsg->setGeometry(right, y + gap, rw, std::max(0, h - y - gap));
}

void frmMsgView::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutPanes();
}

bool frmMsgView::splitterEvent(QFrame* bar, QEvent* event)
{
    const bool vertical = bar == Image1;
    QFrame* drag = vertical ? Picture1 : Picture4;
    const auto* me = static_cast<QMouseEvent*>(event);
    const QPoint p = m_central->mapFromGlobal(me->globalPosition().toPoint());
    const int lo = Twips::toPixels(100);
    const int hi = (vertical ? m_central->width() : m_central->height()) - Twips::toPixels(100);
    const int base = vertical ? 0 : 0;
    const auto place = [&](int at) { return std::max(lo, std::min(at, hi)) - base; };
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (me->button() != Qt::LeftButton)
            return false;
        m_dragOffset = vertical ? p.x() - bar->x() : p.y() - bar->y();
        drag->setGeometry(bar->geometry());
        drag->show();
        drag->raise();
        return true;
    case QEvent::MouseMove:
        if (!drag->isVisible())
            return false;
        if (vertical)
            drag->move(place(p.x() - m_dragOffset), drag->y());
        else
            drag->move(drag->x(), place(p.y() - m_dragOffset));
        return true;
    case QEvent::MouseButtonRelease:
        if (!drag->isVisible())
            return false;
        if (vertical)
            m_split1 = place(p.x() - m_dragOffset);
        else
            m_split2 = place(p.y() - m_dragOffset);
        drag->hide();
        layoutPanes();
        return true;
    default:
        return false;
    }
}

bool frmMsgView::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == Image1 || watched == Image2)
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove
            || event->type() == QEvent::MouseButtonRelease))
        return splitterEvent(static_cast<QFrame*>(watched), event);
    if (watched == DataGrid1->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::RightButton) {
            // The right button makes the row under it the current one first.
            const QModelIndex i = DataGrid1->indexAt(me->position().toPoint());
            if (i.isValid())
                DataGrid1->selectionModel()->setCurrentIndex(
                    i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            return true;
        }
    }
    if (watched == DataGrid1->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::RightButton) {
            showPopup(me->globalPosition().toPoint());
            return true;
        }
    }
    if (watched == DataGrid1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool trash = inTrashNode();
        if (key == Qt::Key_Delete) {
            if (trash && wired(&frmMsgView::purgeRequested))
                Q_EMIT purgeRequested();
            else if (!trash && wired(&frmMsgView::moveToTrashRequested))
                Q_EMIT moveToTrashRequested();
            return true;
        }
        if (key == Qt::Key_Backspace) {
            if (trash && wired(&frmMsgView::restoreRequested))
                Q_EMIT restoreRequested();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMsgView::saveLayout()
{
    Settings& s = m_ctx.settings();
    IniFile& ini = m_ctx.iniFile();
    const auto save = [&](int number, double twips) {
        if (twips > -1 && twips < 32767) {
            s.setInt(number, int(twips));
            ini.writeBack(number);
        }
    };
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        const QRect g = geometry();
        save(87, Twips::fromPixels(g.height(), s.intValue(87)));
        save(88, Twips::fromPixels(g.width(), s.intValue(88)));
        save(89, Twips::fromPixels(x(), s.intValue(89)));
        save(90, Twips::fromPixels(y(), s.intValue(90)));
        save(91, Twips::fromPixels(Image1->x(), s.intValue(91)));
        save(92, Twips::fromPixels(Image2->y(), s.intValue(92)));
    }
    const int widthSettings[5] = {83, 84, 85, 86, 93};
    for (int c = 0; c < 5; ++c) {
        const int px = DataGrid1->columnWidth(c);
        if (px <= 0)
            continue;
        s.setReal(widthSettings[c], Twips::fromPixels(px, s.realValue(widthSettings[c])));
        ini.writeBack(widthSettings[c]);
    }
}

void frmMsgView::closeEvent(QCloseEvent* event)
{
    if (m_busy) {
        // Closed when the pass under way ends; the table is half built now.
        m_closeAsked = true;
        event->ignore();
        return;
    }
    saveLayout();
    m_closed = true;
    m_host.resumeMessageTimers();
    event->accept();
}
