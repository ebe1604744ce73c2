// The viewer's commands as the user gives them: trash, restore and purge from
// the keys and the popup menu, lock and unlock from the menu, the settings
// window and printing (the reading window's print goes through the real
// printing service into a PDF file, read back with pdftotext).
#include "common/TextScramble.h"
#include "messaging/MessageFile.h"
#include "messaging/frmMessage.h"
#include "msglog/MessageLog.h"
#include "msglog/ViewerCommands.h"
#include "msglog/ViewerSettings.h"
#include "msglog/frmMsgView.h"
#include "msglog/frmPass2.h"
#include "msglog/frmPrint.h"
#include "msglog/frmVHSettei.h"
#include "platform/FileOps.h"
#include "platform/Printing.h"
#include "platform/SystemColors.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "startup/IniFile.h"
#include "support/Controls.h"
#include "support/FakeMainHost.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

namespace {

const QString kOwn = QStringLiteral("山田太郎");

QStringList record(int k, bool trash = false)
{
    QStringList l = MessageLog::sentRecord({QStringLiteral("Taro")}, QStringLiteral("本文") + QString::number(k), kOwn,
                                           QStringLiteral("2006/06/14 09:0%1:00").arg(k));
    if (trash)
        l.last() = MessageLog::trashSeparator();
    return l;
}

QByteArray logOf(const QList<QStringList>& records)
{
    QStringList lines;
    for (const QStringList& r : records)
        lines += r;
    return TextFile::joinLines(lines);
}

QAction* action(QWidget* w, const char* name)
{
    return control<QAction>(w, name);
}

// A viewer over a log in a program folder, with its commands attached as the
// main window attaches them.
struct Viewer {
    TestUser user;
    FakeMainHost host;
    QPointer<frmMsgView> w;
    QString path;

    explicit Viewer(const QByteArray& bytes)
    {
        user.loadSettings();
        user.ctx().iniFile().store(26, kOwn);
        path = QDir(user.folder()).filePath(QStringLiteral("msglog.txt"));
        Fs::writeBytes(path, bytes);
        user.ctx().iniFile().store(32, path);
        w = new frmMsgView(user.ctx(), host);
        new ViewerCommands(user.ctx(), host, *w);
        w->Form_Load();
        w->show();
    }
    ~Viewer() { delete w.data(); }
    void click(const QString& text) const
    {
        auto* tree = control<QTreeWidget>(w, "TreeView1");
        const QList<QTreeWidgetItem*> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        QVERIFY2(!found.isEmpty(), qPrintable(text));
        tree->setCurrentItem(found.first());
    }
    QTableView* grid() const { return control<QTableView>(w, "DataGrid1"); }
    // Selects these grid rows (the first becomes the current one).
    void selectRows(const QList<int>& rows) const
    {
        QTableView* g = grid();
        g->setCurrentIndex(g->model()->index(rows.first(), 1));
        for (int r : rows)
            g->selectionModel()->select(g->model()->index(r, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void key(Qt::Key k) const { QTest::keyClick(grid(), k); }
    QByteArray bytes() const { return Fs::readBytes(path); }
    QString pane() const { return control<QTextEdit>(w, "txtMsg")->toPlainText(); }
};

// Text of a PDF file as pdftotext gives it (empty when the tool is missing).
QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Some fonts share one glyph between an ideograph and its radical (子 and ⼦),
// and a full-width colon comes back as a plain one: texts read back from a PDF
// are compared in the compatibility form.
QStringList normalized(QStringList lines)
{
    for (QString& l : lines)
        l = l.normalized(QString::NormalizationForm_KC);
    return lines;
}

} // namespace

class TestViewerCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Two non-adjacent records to the trash by the Delete key, back by
    // Backspace in the trash node, then one purged after the confirmation.
    void trashRestorePurgeFromTheKeys()
    {
        const QList<QStringList> live {record(1), record(2), record(3)};
        const QByteArray before = logOf(live);
        Viewer v(before);
        v.click(QStringLiteral("Taro"));
        const LogView::NodeKey taro = v.w->currentNodeKey();
        QCOMPARE(v.w->grid().rowCount(), 3);
        v.selectRows({0, 2});
        const QList<qint64> picked = v.w->selectedRecords();
        QCOMPARE(picked.size(), 2);
        v.key(Qt::Key_Delete);
        QList<QStringList> expected = live;
        for (qint64 n : picked)
            expected[n - 1] = record(int(n), true);
        const QByteArray trashed = logOf(expected);
        QCOMPARE(v.bytes(), trashed);
        QCOMPARE(Fs::readBytes(v.path + QStringLiteral(".bak")), before);
        // The rebuild reselects the node, which now lists one record.
        QCOMPARE(v.w->currentNodeKey().text(), taro.text());
        QCOMPARE(v.w->grid().rowCount(), 1);

        v.click(QStringLiteral("ごみ箱"));
        QCOMPARE(v.w->grid().rowCount(), 2);
        v.selectRows({0, 1});
        v.key(Qt::Key_Backspace);
        QCOMPARE(v.bytes(), before);
        QCOMPARE(Fs::readBytes(v.path + QStringLiteral(".bak")), trashed);

        // Purge: No (the default) keeps everything, Yes removes the record.
        v.click(QStringLiteral("Taro"));
        v.selectRows({1});
        v.key(Qt::Key_Delete);
        v.click(QStringLiteral("ごみ箱"));
        v.selectRows({0});
        const qint64 gone = v.w->selectedRecords().value(0);
        QVERIFY(gone > 0);
        const QByteArray oneTrashed = v.bytes();
        v.user.box().clear();
        v.key(Qt::Key_Delete);
        QCOMPARE(v.user.box().titles(), QStringList {QStringLiteral("削除の確認")});
        QCOMPARE(v.bytes(), oneTrashed);
        v.user.box().queueAnswer(MsgResult::Yes);
        v.key(Qt::Key_Delete);
        QList<QStringList> left = live;
        left.removeAt(gone - 1);
        QCOMPARE(v.bytes(), logOf(left));
        QCOMPARE(v.w->log().size(), 2);
    }

    // An append after loading: the date error, Yes reloads, No does nothing;
    // the log is never rewritten.
    void changedLogGivesTheDateError_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("restore");
        QTest::addColumn<QString>("text");
        const QString del = QStringLiteral("メッセージログの内容が変更されたので削除処理出来ません。\nメッセージログを再読込しますか？");
        const QString ret = QStringLiteral("メッセージログの内容が変更されたので元に戻す処理が出来ません。\nメッセージログを再読込しますか？");
        QTest::newRow("move, no") << int(MsgResult::No) << false << del;
        QTest::newRow("move, yes") << int(MsgResult::Yes) << false << del;
        QTest::newRow("restore, yes") << int(MsgResult::Yes) << true << ret;
    }
    void changedLogGivesTheDateError()
    {
        QFETCH(int, answer);
        QFETCH(bool, restore);
        QFETCH(QString, text);
        Viewer v(logOf({record(1, restore), record(2)}));
        v.click(restore ? QStringLiteral("ごみ箱") : QStringLiteral("Taro"));
        v.selectRows({0});
        const QByteArray appended = logOf({record(1, restore), record(2), record(3)});
        QVERIFY(MessageLog::appendRecord(v.user.ctx(), record(3), QStringLiteral("(test")));
        v.user.box().queueAnswer(MsgResult(answer));
        v.key(restore ? Qt::Key_Backspace : Qt::Key_Delete);
        QCOMPARE(v.user.box().texts(), QStringList {text});
        QCOMPARE(v.user.box().titles(), QStringList {QStringLiteral("ファイル日付エラー")});
        QCOMPARE(v.bytes(), appended);
        QVERIFY(!Fs::exists(v.path + QStringLiteral(".bak")));
        QCOMPARE(v.w->log().size(), answer == int(MsgResult::Yes) ? 3 : 2);
    }

    // Lock from the menu, a message appended while locked, a wrong password
    // at unlock, then unlock: the log is the old one plus the new record.
    void lockAppendUnlock()
    {
        const QByteArray before = logOf({record(1), record(2)});
        Viewer v(before);
        QVERIFY(action(v.w, "mnuLock")->isEnabled());
        QVERIFY(!action(v.w, "mnuUnlock")->isEnabled());
        whenModal<frmPass2>([](frmPass2* p) {
            control<QLineEdit>(p, "txtPass1")->setText(QStringLiteral("pw"));
            control<QLineEdit>(p, "txtPass2")->setText(QStringLiteral("pw"));
            control<QPushButton>(p, "cmdOK")->click();
        });
        action(v.w, "mnuLock")->trigger();
        QVERIFY(MessageLog::isLocked(v.path));
        QVERIFY(!v.bytes().contains(Sjis::encode(QStringLiteral("本文1"))));
        QCOMPARE(v.w->windowTitle(), QStringLiteral("メッセージビューワ（暗号化ファイル）"));
        QVERIFY(!action(v.w, "mnuLock")->isEnabled());
        QVERIFY(action(v.w, "mnuUnlock")->isEnabled());
        QCOMPARE(v.w->log().size(), 2); // not asked again for the password just set
        QVERIFY(v.user.box().shown().isEmpty());

        QVERIFY(MessageLog::appendRecord(v.user.ctx(), record(3), QStringLiteral("(test")));
        const QByteArray locked = v.bytes();
        const Fs::FileStamp stamp = Fs::stamp(v.path);
        whenModal<frmPass2>([](frmPass2* p) {
            control<QLineEdit>(p, "txtPass1")->setText(QStringLiteral("px"));
            control<QPushButton>(p, "cmdOK")->click();
        });
        action(v.w, "mnuUnlock")->trigger();
        QCOMPARE(v.user.box().titles(), QStringList {QStringLiteral("復元エラー")});
        QCOMPARE(v.bytes(), locked);
        QVERIFY(Fs::stamp(v.path) == stamp);
        QVERIFY(!Fs::exists(v.path + QStringLiteral(".tmp")));

        whenModal<frmPass2>([](frmPass2* p) {
            control<QLineEdit>(p, "txtPass1")->setText(QStringLiteral("pw"));
            control<QPushButton>(p, "cmdOK")->click();
        });
        action(v.w, "mnuUnlock")->trigger();
        QCOMPARE(v.bytes(), logOf({record(1), record(2), record(3)}));
        QCOMPARE(v.w->windowTitle(), QStringLiteral("メッセージビューワ"));
        QVERIFY(action(v.w, "mnuLock")->isEnabled());
        QCOMPARE(v.w->log().size(), 3);
        QCOMPARE(control<QComboBox>(v.w, "cboTVSort")->currentIndex(), 0);
    }

    // The row height as typed, and each way of closing the settings window.
    void settingsRowHeight_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("boxTitle"); // empty: accepted
        QTest::addColumn<int>("stored");
        QTest::newRow("0 by 閉じる") << "0" << "close button" << "" << 0;
        QTest::newRow("35 by Esc") << "35" << "escape" << "" << 350;
        QTest::newRow("9999 by the frame") << "9999" << "frame" << "" << 99990;
        QTest::newRow("10000 refused") << "10000" << "close button" << "入力エラー" << 225;
        QTest::newRow("-1 refused by the frame") << "-1" << "frame" << "入力エラー" << 225;
        QTest::newRow("text refused by Esc") << "abc" << "escape" << "正しい値を入力してください" << 225;
    }
    void settingsRowHeight()
    {
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(QString, boxTitle);
        QFETCH(int, stored);
        TestUser u;
        u.loadSettings();
        FakeMainHost host;
        int looks = 0;
        frmVHSettei w(u.ctx(), host, [&looks] { ++looks; }, nullptr);
        w.show();
        QCOMPARE(control<QLineEdit>(&w, "txtGrid")->text(), QStringLiteral("22.5"));
        control<QLineEdit>(&w, "txtGrid")->setText(typed);
        if (how == u"close button")
            control<QPushButton>(&w, "cmdClose")->click();
        else if (how == u"escape")
            QTest::keyClick(&w, Qt::Key_Escape);
        else
            w.close();
        QCOMPARE(u.ctx().settings().intValue(100), stored);
        QCOMPARE(w.isVisible(), !boxTitle.isEmpty());
        QCOMPARE(u.box().titles(), boxTitle.isEmpty() ? QStringList() : QStringList {boxTitle});
        QCOMPARE(looks, boxTitle.isEmpty() ? 1 : 0);
        if (!boxTitle.isEmpty())
            QCOMPARE(control<QLineEdit>(&w, "txtGrid")->text(), QStringLiteral("22"));
        // The stored value is what the file holds.
        u.loadSettings();
        QCOMPARE(u.ctx().settings().intValue(100), stored);
    }

    // Leaving the font button for another control checks the row height.
    void leavingTheFontButtonChecksTheRowHeight()
    {
        TestUser u;
        u.loadSettings();
        FakeMainHost host;
        frmVHSettei w(u.ctx(), host, {}, nullptr);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        control<QLineEdit>(&w, "txtGrid")->setText(QStringLiteral("x"));
        control<QPushButton>(&w, "cmdFont")->setFocus(Qt::OtherFocusReason);
        control<QPushButton>(&w, "cmdClose")->setFocus(Qt::TabFocusReason);
        QCOMPARE(u.box().titles(), QStringList {QStringLiteral("正しい値を入力してください")});
        QCOMPARE(control<QLineEdit>(&w, "txtGrid")->text(), QStringLiteral("22"));
    }

    // A colour chosen, cancelled or failing; then "初期値に戻す" and "閉じる".
    void coloursFontAndDefaults_data()
    {
        QTest::addColumn<int>("outcome");
        QTest::newRow("chosen") << int(ChoiceOutcome::Chosen);
        QTest::newRow("cancelled") << int(ChoiceOutcome::Cancelled);
        QTest::newRow("failed") << int(ChoiceOutcome::Failed);
    }
    void coloursFontAndDefaults()
    {
        QFETCH(int, outcome);
        TestUser u;
        u.loadSettings();
        FakeMainHost host;
        const int before = u.ctx().settings().intValue(96);
        frmVHSettei w(u.ctx(), host, {}, nullptr);
        w.show();
        if (outcome == int(ChoiceOutcome::Chosen)) {
            u.colorFont().queueColor(QColor(255, 0, 0));
            u.colorFont().queueFont(QFont(QStringLiteral("Noto Sans CJK JP"), 14));
        } else {
            u.colorFont().queueColorOutcome(ChoiceOutcome(outcome));
            u.colorFont().queueFontOutcome(ChoiceOutcome(outcome));
        }
        control<QPushButton>(&w, "cmdOddColor")->click();
        control<QPushButton>(&w, "cmdFont")->click();
        QCOMPARE(u.colorFont().asked().size(), 2);
        QCOMPARE(u.colorFont().asked()[0].title, QStringLiteral("色の指定"));
        QCOMPARE(u.colorFont().asked()[0].initial.value<QColor>(), QColor(0, 0, 255));
        QCOMPARE(u.colorFont().asked()[1].title, QStringLiteral("表示フォントの設定"));
        const bool chosen = outcome == int(ChoiceOutcome::Chosen);
        QCOMPARE(u.ctx().settings().intValue(96), chosen ? SystemColors::toSetting(QColor(255, 0, 0)) : before);
        QCOMPARE(u.ctx().settings().text(98), chosen ? QStringLiteral("Noto Sans CJK JP") : QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(u.ctx().settings().realValue(99), chosen ? 14.0 : 10.0);
        const QStringList fatal {QStringLiteral("致命的エラー"), QStringLiteral("致命的エラー")};
        QCOMPARE(u.box().texts(), outcome == int(ChoiceOutcome::Failed) ? fatal : QStringList());

        control<QPushButton>(&w, "cmdDefault")->click();
        QCOMPARE(control<QLineEdit>(&w, "txtGrid")->text(), QStringLiteral("22"));
        control<QPushButton>(&w, "cmdClose")->click();
        u.loadSettings();
        for (int number : ViewerSettings::ColorSettings)
            QCOMPARE(u.ctx().settings().intValue(number), ViewerSettings::defaultText(number).toInt());
        QCOMPARE(u.ctx().settings().text(98), QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(u.ctx().settings().realValue(99), 10.0);
        QCOMPARE(u.ctx().settings().intValue(100), 220);
    }

    // The settings window from the viewer's menu: a new header colour shows
    // on the message already shown once the window closes.
    void colourChangeRedrawsTheShownMessage()
    {
        Viewer v(logOf({record(1)}));
        v.click(QStringLiteral("Taro"));
        v.selectRows({0});
        QCOMPARE(v.w->shownRecord(), 1);
        const auto headerColour = [&v] {
            QTextDocument* doc = control<QTextEdit>(v.w, "txtMsg")->document();
            return doc->begin().begin().fragment().charFormat().foreground().color();
        };
        QCOMPARE(headerColour(), QColor(0, 128, 0));
        v.user.colorFont().queueColor(QColor(200, 0, 0));
        whenModal<frmVHSettei>([](frmVHSettei* s) {
            control<QPushButton>(s, "cmdHeaderColor")->click();
            control<QPushButton>(s, "cmdClose")->click();
        });
        QVERIFY(action(v.w, "mnuSettei")->isEnabled());
        action(v.w, "mnuSettei")->trigger();
        QCOMPARE(headerColour(), QColor(200, 0, 0));
        QCOMPARE(v.w->shownRecord(), 1);
    }

    void printWithAnEmptyPaneIsRefused()
    {
        Viewer v(logOf({record(1)}));
        QVERIFY(action(v.w, "mnuPrint")->isEnabled());
        action(v.w, "mnuPrint")->trigger();
        QCOMPARE(v.user.box().texts(), QStringList {QStringLiteral("メッセージが選択されていません")});
        QCOMPARE(v.user.box().titles(), QStringList {QStringLiteral("印刷エラー")});
    }

    // The reading window's print: refused under a closed seal; else through
    // the real printing service into a PDF file (the list's only entry on a
    // machine without printers, the last one elsewhere), and a failed print
    // is reported with the window left open.
    void readingWindowPrints_data()
    {
        QTest::addColumn<bool>("sealed");
        QTest::addColumn<bool>("goodPath");
        QTest::newRow("printed into a PDF file") << false << true;
        QTest::newRow("PDF file in a missing folder") << false << false;
        QTest::newRow("closed seal") << true << true;
    }
    void readingWindowPrints()
    {
        QFETCH(bool, sealed);
        QFETCH(bool, goodPath);
        TestUser u;
        u.loadSettings();
        u.ctx().iniFile().store(26, kOwn);
        u.ctx().iniFile().store(25, QStringLiteral("pw"));
        FakeMainHost host;
        MessageFile m;
        m.addressees = MessageFile::addresseeLine({kOwn});
        m.sender = QStringLiteral("花子");
        m.sentAt = QStringLiteral("2006/06/14 09:06:00");
        m.sealed = sealed ? QStringLiteral("1") : QStringLiteral("0");
        m.setText(QStringLiteral("会議は三時から\r\n第二会議室です"));
        QCOMPARE(Fs::writeBytes(u.ctx().programPath(QStringLiteral("山田太郎.001")), MessageFormat::encode(m)), 0);
        frmMessage w(u.ctx(), host, QStringLiteral("山田太郎.001"));
        w.show();
        QVERIFY(action(&w, "mnuPrint")->isEnabled());
        const QString pdf = QDir(u.folder()).filePath(goodPath ? QStringLiteral("out.pdf") : QStringLiteral("no/out.pdf"));
        u.dialogs().queuePath(pdf);
        bool stayedOpen = false;
        if (!sealed)
            whenModal<frmPrint>([&](frmPrint* p) {
                auto* list = control<QComboBox>(p, "Combo1");
                QCOMPARE(list->itemText(list->count() - 1), frmPrint::pdfEntry());
                if (u.ctx().printing().printerNames().isEmpty())
                    QCOMPARE(list->currentText(), frmPrint::pdfEntry());
                list->setCurrentIndex(list->count() - 1);
                QVERIFY(!control<QPushButton>(p, "cmdPrinter")->isEnabled());
                control<QPushButton>(p, "cmdPrint")->click();
                stayedOpen = p->isVisible();
                p->reject();
            });
        action(&w, "mnuPrint")->trigger();
        if (sealed) {
            QCOMPARE(u.box().titles(), QStringList {QStringLiteral("印刷エラー")});
            QVERIFY(!Fs::exists(pdf));
            return;
        }
        QCOMPARE(stayedOpen, !goodPath);
        if (!goodPath) {
            QCOMPARE(u.box().titles(), QStringList {QStringLiteral("印刷エラー")});
            return;
        }
        QVERIFY(u.box().shown().isEmpty());
        const QString text = pdfText(pdf);
        if (text.isEmpty())
            QSKIP("pdftotext (poppler-utils) missing: run tools/install-deps.sh");
        QStringList lines = text.split(u'\n');
        for (QString& l : lines)
            l = l.trimmed();
        lines = normalized(lines);
        while (!lines.isEmpty() && (lines.last().isEmpty() || lines.last() == u"\f"))
            lines.removeLast();
        QCOMPARE(lines, normalized(QStringList {QStringLiteral("送信者：花子(2006/06/14 09:06:00)"), QString(),
                                      QStringLiteral("会議は三時から"), QStringLiteral("第二会議室です"), QString(),
                                      QStringLiteral("宛先：山田太郎")}));
    }
};

PORLUNE_TEST_MAIN(TestViewerCommands)

#include "tst_viewercommands.moc"
