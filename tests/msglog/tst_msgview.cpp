#include "common/TextScramble.h"
#include "msglog/LogGridModel.h"
#include "msglog/LogView.h"
#include "msglog/MessageDisplay.h"
#include "msglog/MessageSearch.h"
#include "msglog/frmBar.h"
#include "msglog/frmKensaku.h"
#include "msglog/frmMsgView.h"
#include "msglog/frmPass2.h"
#include "platform/FileOps.h"
#include "platform/SystemColors.h"
#include "platform/TextFile.h"
#include "platform/Twips.h"
#include "startup/IniFile.h"
#include "startup/Settings.h"
#include "support/Controls.h"
#include "support/FakeMainHost.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableView>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <numeric>
#include <tuple>

using namespace LogView;

namespace {

// One record as the writers make it: '>' direction "To" (sent), '<' "From".
struct Rec {
    char dir;
    QString other;
    QString when; // YYYY/MM/DD HH:MM:SS
    QString text;
    bool trash = false;
};

QStringList recordLines(const Rec& r)
{
    QStringList l = r.dir == '>' ? MessageLog::sentRecord({r.other}, r.text, QStringLiteral("山田太郎"), r.when)
                                 : MessageLog::receivedRecord(r.other, r.when, r.text, QStringLiteral("山田太郎"));
    if (r.trash)
        l.last() = MessageLog::trashSeparator();
    return l;
}

QByteArray logBytes(const QList<Rec>& recs)
{
    QStringList lines;
    for (const Rec& r : recs)
        lines += recordLines(r);
    return TextFile::joinLines(lines);
}

QByteArray lockedBytes(const QList<Rec>& recs, const QString& password)
{
    QStringList lines {Text_Scramble(MessageLog::lockMarker(), 1), Text_Scramble(password, 1)};
    for (const Rec& r : recs)
        for (const QString& l : recordLines(r))
            lines.append(Text_Scramble(l, 1));
    return TextFile::joinLines(lines);
}

Model modelOf(const QList<Rec>& recs, int index)
{
    Model m;
    m.load(MessageLog::parse(logBytes(recs)));
    m.select(index);
    return m;
}

// The tree as indented lines "text[image]", "+" marking an expanded node.
QStringList treeLines(const Model& m)
{
    QStringList out;
    for (int i = 0; i < m.nodes().size(); ++i) {
        const Node& n = m.nodes()[i];
        int depth = 0;
        for (int p = n.parent; p >= 0; p = m.nodes()[p].parent)
            ++depth;
        out.append(QString(depth * 2, u' ') + (n.expanded ? u'+' : u' ') + n.text + u'[' + QString::number(n.image)
                   + u']');
    }
    return out;
}

QList<qint32> numbers(const QList<qint32>& indexes)
{
    QList<qint32> out;
    for (qint32 k : indexes)
        out.append(k + 1);
    return out;
}

const Rec kTaro1 {'>', QStringLiteral("Taro"), QStringLiteral("2006/06/14 09:00:00"), QStringLiteral("一通目")};
const Rec kTaro2 {'>', QStringLiteral("Taro"), QStringLiteral("2006/06/14 08:00:00"), QStringLiteral("二通目")};


} // namespace

class TestLogView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void trees_data()
    {
        QTest::addColumn<QList<Rec>>("recs");
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("tree");

        QTest::newRow("empty log: the trash alone, empty") << QList<Rec>() << 0 << QStringList {QStringLiteral(" ごみ箱[5]")};
        QTest::newRow("all in the trash: full trash, no dates")
            << QList<Rec> {{'>', QStringLiteral("Taro"), QStringLiteral("2006/06/14 09:00:00"), QStringLiteral("x"), true}}
            << 0 << QStringList {QStringLiteral(" ごみ箱[6]")};
        QTest::newRow("one person one day, newest opened")
            << QList<Rec> {kTaro1, kTaro2} << 0
            << QStringList {QStringLiteral("+2006年[1]"), QStringLiteral("  +06月[1]"), QStringLiteral("    +14日(水)[1]"),
                            QStringLiteral("      +Taro[4]"), QStringLiteral(" ごみ箱[5]")};
        QTest::newRow("date tree without persons")
            << QList<Rec> {kTaro1, {'<', QStringLiteral("Hana"), QStringLiteral("2006/07/02 10:00:00"), QStringLiteral("y")}}
            << 1
            << QStringList {QStringLiteral("+2006年[1]"), QStringLiteral("   06月[1]"), QStringLiteral("     14日(水)[1]"),
                            QStringLiteral("  +07月[1]"), QStringLiteral("    +02日(日)[1]"), QStringLiteral(" ごみ箱[5]")};
        // "Taro2006" as a person and Taro's year 2006 share the text key "YMDTaro2006".
        QTest::newRow("person named like another's year keeps its own nodes")
            << QList<Rec> {kTaro1, {'>', QStringLiteral("Taro2006"), QStringLiteral("2006/05/01 10:00:00"), QStringLiteral("z")}}
            << 2
            << QStringList {QStringLiteral(" Taro[4]"), QStringLiteral("   2006年[1]"), QStringLiteral("     06月[1]"),
                            QStringLiteral("       14日(水)[1]"), QStringLiteral(" Taro2006[4]"), QStringLiteral("   2006年[1]"),
                            QStringLiteral("     05月[1]"), QStringLiteral("       01日(月)[1]"), QStringLiteral(" ごみ箱[5]")};
        // An empty other party: its person node's text key is the day's own.
        QTest::newRow("empty other party gets its own person node")
            << QList<Rec> {{'>', QString(), QStringLiteral("2006/06/14 09:00:00"), QStringLiteral("x")}, kTaro1} << 0
            << QStringList {QStringLiteral("+2006年[1]"), QStringLiteral("  +06月[1]"), QStringLiteral("    +14日(水)[1]"),
                            QStringLiteral("       [4]"), QStringLiteral("      +Taro[4]"), QStringLiteral(" ごみ箱[5]")};
        QTest::newRow("person leaves in name order")
            << QList<Rec> {{'<', QStringLiteral("Hana"), QStringLiteral("2006/07/02 10:00:00"), QStringLiteral("y")}, kTaro1,
                           {'<', QStringLiteral("Aki"), QStringLiteral("2005/01/01 10:00:00"), QStringLiteral("y"), true}}
            << 3 << QStringList {QStringLiteral(" Hana[4]"), QStringLiteral(" Taro[4]"), QStringLiteral(" ごみ箱[6]")};
    }
    void trees()
    {
        QFETCH(QList<Rec>, recs);
        QFETCH(int, index);
        QFETCH(QStringList, tree);
        QCOMPARE(treeLines(modelOf(recs, index)), tree);
    }

    void keysAsTheUserSeesThem()
    {
        const Model m = modelOf({kTaro1}, 0);
        QStringList keys;
        for (const Node& n : m.nodes())
            keys.append(n.key.text());
        QCOMPARE(keys, (QStringList {"YMD2006", "YMD200606", "YMD20060614", "YMD20060614Taro", "GOMIBAKO"}));
    }

    void nodesListTheirRecords_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("person");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QList<qint32>>("listed");
        // Table: Taro 09:00 (1), Taro 08:00 (2), Hana 07/02 (3), Taro in the trash (4); by date: 2, 1, 3.
        QTest::newRow("person of a day: both, in table order") << 0 << int(Level::DayPerson) << "Taro" << "20060614"
                                                              << QList<qint32> {2, 1};
        QTest::newRow("day") << 1 << int(Level::Day) << "" << "20060614" << QList<qint32> {2, 1};
        QTest::newRow("year lists nothing") << 1 << int(Level::Year) << "" << "2006" << QList<qint32>();
        QTest::newRow("month lists nothing") << 0 << int(Level::Month) << "" << "200606" << QList<qint32>();
        QTest::newRow("person root of the name-date tree lists nothing") << 2 << int(Level::Person) << "Taro" << ""
                                                                         << QList<qint32>();
        QTest::newRow("person leaf") << 3 << int(Level::Person) << "Taro" << "" << QList<qint32> {2, 1};
        QTest::newRow("trash") << 0 << int(Level::Trash) << "" << "" << QList<qint32> {4};
    }
    void nodesListTheirRecords()
    {
        QFETCH(int, index);
        QFETCH(int, level);
        QFETCH(QString, person);
        QFETCH(QString, date);
        const Model m = modelOf({kTaro1, kTaro2, {'<', QStringLiteral("Hana"), QStringLiteral("2006/07/02 10:00:00"), QStringLiteral("y")},
                                 {'>', QStringLiteral("Taro"), QStringLiteral("2006/06/14 07:00:00"), QStringLiteral("t"), true}},
                                index);
        QFETCH(QList<qint32>, listed);
        QCOMPARE(numbers(m.listed({Level(level), person, date})), listed);
    }

    void sortRunsOnlyWhenTheTreeKindChanges_data()
    {
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<QList<bool>>("sorted");
        QTest::newRow("start, 日付順, 日付,名前順") << QList<int> {0, 1, 0} << QList<bool> {true, false, false};
        QTest::newRow("名前順 to 日付順 sorts again") << QList<int> {0, 3, 1} << QList<bool> {true, true, true};
        QTest::newRow("名前順 to 名前，日付順 reuses") << QList<int> {0, 3, 2} << QList<bool> {true, true, false};
    }
    void sortRunsOnlyWhenTheTreeKindChanges()
    {
        QFETCH(QList<int>, steps);
        QFETCH(QList<bool>, sorted);
        Model m;
        m.load(MessageLog::parse(logBytes({kTaro1, kTaro2})));
        for (int i = 0; i < steps.size(); ++i) {
            QVERIFY(m.select(steps[i]));
            QCOMPARE(m.lastBuildSorted(), sorted[i]);
        }
    }

    void reloadAlwaysSortsAgain()
    {
        // A rebuild after a rewrite loads in file order at the same index.
        Model m;
        m.load(MessageLog::parse(logBytes({kTaro1, kTaro2})));
        m.select(Date);
        m.load(MessageLog::parse(logBytes({kTaro1, kTaro2})));
        m.build();
        QVERIFY(m.lastBuildSorted());
        QCOMPARE(numbers(QList<qint32>(m.order().begin(), m.order().end())), (QList<qint32> {2, 1}));
    }

    void manyEqualKeysKeepTableOrder()
    {
        // Thousands of messages to one person in one second: a recursive
        // quicksort with a strict partition went as deep as the table.
        QList<Rec> recs;
        const int n = 60000;
        for (int k = 0; k < n; ++k)
            recs.append({'>', QStringLiteral("Taro"), QStringLiteral("2006/06/14 09:00:00"), QString::number(k)});
        for (int index : {Date, Name}) {
            const Model m = modelOf(recs, index);
            QCOMPARE(qsizetype(m.order().size()), qsizetype(n));
            QVERIFY(std::is_sorted(m.order().begin(), m.order().end()));
        }
    }

    void ordersAgreeWithAPlainStableSort_data()
    {
        QTest::addColumn<bool>("damagedDate");
        QTest::newRow("dates in digits") << false;
        QTest::newRow("one date with a letter") << true;
    }
    // Date and name orders against a stable sort of the same keys: ties in
    // the same second between people, and the same key many times over.
    void ordersAgreeWithAPlainStableSort()
    {
        QFETCH(bool, damagedDate);
        QRandomGenerator rng(20061214);
        const QStringList people {QStringLiteral("Taro"), QStringLiteral("佐藤"), QStringLiteral("ｻﾄｳ"),
                                  QStringLiteral("鈴木一郎"), QStringLiteral("taro")};
        QList<Rec> recs;
        for (int k = 0; k < 3000; ++k) {
            const QString when = QStringLiteral("%1/%2/%3 %4:%5:00")
                                     .arg(2005 + rng.bounded(3))
                                     .arg(1 + rng.bounded(12), 2, 10, QChar(u'0'))
                                     .arg(1 + rng.bounded(3), 2, 10, QChar(u'0'))
                                     .arg(rng.bounded(2) ? 9 : 23, 2, 10, QChar(u'0'))
                                     .arg(rng.bounded(3), 2, 10, QChar(u'0'));
            recs.append({rng.bounded(2) ? '>' : '<', people[int(rng.bounded(people.size()))], when, QString::number(k)});
        }
        if (damagedDate)
            recs[1234].when = QStringLiteral("2x06/06/14 09:00:00");
        Model m;
        m.load(MessageLog::parse(logBytes(recs)));
        QCOMPARE(m.size(), qsizetype(recs.size()));
        const MessageLog::RecordTable& t = m.table();
        for (int index : {Date, Name}) {
            m.select(index);
            QList<qint32> expected(t.size());
            std::iota(expected.begin(), expected.end(), 0);
            std::stable_sort(expected.begin(), expected.end(), [&](qint32 a, qint32 b) {
                const auto key = [&](qint32 k) {
                    return index == Date ? std::tuple(t.dateKey(k), t.timeKey(k), m.otherParty(k), QString())
                                         : std::tuple(quint64(0), quint64(0), m.otherParty(k), t.date(k) + t.time(k));
                };
                return key(a) < key(b);
            });
            QCOMPARE(QList<qint32>(m.order().begin(), m.order().end()), expected);
        }
    }

    void weekdays_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("Sunday") << "20061210" << "(日)";
        QTest::newRow("Wednesday") << "20060614" << "(水)";
        QTest::newRow("Saturday") << "20031025" << "(土)";
        QTest::newRow("no such day") << "20060231" << "()";
        QTest::newRow("blank") << "" << "()";
    }
    void weekdays()
    {
        QFETCH(QString, date);
        QFETCH(QString, text);
        QCOMPARE(weekdayText(date), text);
    }
};

class TestGridAndDisplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void titleClicks_data()
    {
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("title3");
        QTest::addColumn<QList<qint32>>("rows");
        // Rows listed 2 (08:00), 1 (09:00), 3 (07:00): the date tree puts them in time order.
        QTest::newRow("opening shows column 3 ascending") << QList<int>() << QString("送受信日時 ▲") << QList<qint32> {3, 2, 1};
        QTest::newRow("first click on 3 sorts ascending") << QList<int> {3} << QString("送受信日時 ▲") << QList<qint32> {3, 2, 1};
        QTest::newRow("second click sorts descending") << QList<int> {3, 3} << QString("送受信日時 ▼") << QList<qint32> {1, 2, 3};
        QTest::newRow("another column starts ascending") << QList<int> {3, 3, 4} << QString("送受信日時") << QList<qint32> {3, 1, 2};
        QTest::newRow("column 0 cannot be chosen") << QList<int> {0} << QString("送受信日時 ▲") << QList<qint32> {3, 2, 1};
    }
    void titleClicks()
    {
        QFETCH(QList<int>, clicks);
        const Model m = modelOf({kTaro1, kTaro2, {'>', QStringLiteral("Taro"), QStringLiteral("2006/06/14 07:00:00"), QStringLiteral("c")}}, Date);
        LogGridModel g(m);
        g.setRows(m.listed({Level::Day, QString(), QStringLiteral("20060614")}));
        for (int c : clicks)
            g.titleClicked(c);
        QFETCH(QString, title3);
        QCOMPARE(g.title(3), title3);
        QFETCH(QList<qint32>, rows);
        QCOMPARE(numbers(g.rows()), rows);
    }

    void cells()
    {
        const Model m = modelOf({{'<', QStringLiteral("Hana"), QStringLiteral("2006/07/02 10:11:12"), QStringLiteral("一行目\n二行目")}}, Date);
        LogGridModel g(m);
        g.setRows({0});
        QCOMPARE((QStringList {g.cellText(0, 0), g.cellText(0, 1), g.cellText(0, 2), g.cellText(0, 3), g.cellText(0, 4)}),
                 (QStringList {"1", "Hana", "From", "2006/07/02 10:11:12", "一行目 二行目  "}));
        QCOMPARE(g.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("名前"));
    }

    void quoteRoles_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("role");
        QTest::newRow(">") << ">引用" << int(MessageDisplay::Role::OddQuote);
        QTest::newRow(">>") << ">>引用の引用" << int(MessageDisplay::Role::EvenQuote);
        QTest::newRow(">>>") << ">>>" << int(MessageDisplay::Role::OddQuote);
        QTest::newRow("blank before >") << " >引用" << int(MessageDisplay::Role::Text);
        QTest::newRow("plain") << "本文" << int(MessageDisplay::Role::Text);
    }
    void quoteRoles()
    {
        QFETCH(QString, line);
        QFETCH(int, role);
        QCOMPARE(int(MessageDisplay::quoteRole(line)), role);
    }

    void headerBlock_data()
    {
        QTest::addColumn<char>("dir");
        QTest::addColumn<QString>("who");
        QTest::newRow("incoming names the sender") << '<' << "送信者　：Hana";
        QTest::newRow("outgoing names the addressees") << '>' << "受信者　：Hana";
    }
    void headerBlock()
    {
        QFETCH(char, dir);
        const QByteArray bytes = logBytes({{dir, QStringLiteral("Hana"), QStringLiteral("2006/07/02 10:11:12"), QStringLiteral("本文\n>引用")}});
        const MessageLog::ParseResult r = MessageLog::parse(bytes);
        const QList<MessageDisplay::Run> runs = MessageDisplay::runs(r.records, 0);
        const QString stars(39, u'*');
        QFETCH(QString, who);
        QCOMPARE(runs.first().text, stars + "\r\n" + who + "\r\n送信日時：2006/07/02 10:11:12\r\n" + stars + "\r\n");
        QStringList texts;
        for (const auto& run : runs.mid(1))
            texts.append(run.text);
        QCOMPARE(texts, (QStringList {"\r\n", "本文\r\n", ">引用\r\n", "\r\n"}));
    }
};

class TestSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void search_data()
    {
        QTest::addColumn<MessageSearch::Conditions>("c");
        QTest::addColumn<QList<qint32>>("found");
        MessageSearch::Conditions day;
        day.soushinbi = true;
        day.dateFrom = day.dateTo = QStringLiteral("20060614");
        QTest::newRow("one day, trash included") << day << QList<qint32> {1, 3};
        MessageSearch::Conditions orSender;
        orSender.orJoin = true;
        orSender.atesaki = orSender.sashidashi = true;
        orSender.atesakiText = QStringLiteral("誰もいない");
        orSender.sashidashiText = QStringLiteral("hana");
        QTest::newRow("または: sender alone matches") << orSender << QList<qint32> {2};
        MessageSearch::Conditions andBoth = orSender;
        andBoth.orJoin = false;
        QTest::newRow("かつ: both must match") << andBoth << QList<qint32>();
        MessageSearch::Conditions wide;
        wide.honbun = true;
        wide.honbunText = QStringLiteral("ＡＢＣ");
        QTest::newRow("full-width letters find half-width in any case") << wide << QList<qint32> {1};
        MessageSearch::Conditions kana;
        kana.honbun = true;
        kana.honbunText = QStringLiteral("ｶﾞｲｼｭﾂ");
        QTest::newRow("half-width katakana finds full-width") << kana << QList<qint32> {2};
        MessageSearch::Conditions empty;
        empty.honbun = true;
        QTest::newRow("empty text is in every record") << empty << QList<qint32> {1, 2, 3};
    }
    void search()
    {
        QFETCH(MessageSearch::Conditions, c);
        const MessageLog::ParseResult r = MessageLog::parse(logBytes(
            {{'>', QStringLiteral("Taro"), QStringLiteral("2006/06/14 09:00:00"), QStringLiteral("abc の件")},
             {'<', QStringLiteral("Hanako"), QStringLiteral("2006/06/15 09:00:00"), QStringLiteral("ガイシュツです")},
             {'>', QStringLiteral("Jiro"), QStringLiteral("2006/06/14 23:59:59"), QStringLiteral("x"), true}}));
        QFETCH(QList<qint32>, found);
        QCOMPARE(numbers(MessageSearch::search(r.records, c)), found);
    }

    void foldAgreesWithNfkcAndCaseFolding()
    {
        // The fast walk must give what full compatibility folding gives.
        QStringList samples;
        for (char16_t c = 0xFF01; c <= 0xFF9F; ++c) {
            samples.append(QString(QChar(c)));
            samples.append(QString(QChar(c)) + QChar(0xFF9E));
            samples.append(QString(QChar(c)) + QChar(0xFF9F));
        }
        samples += {QStringLiteral("ABCxyz 09"), QStringLiteral("会議は15:00～16:00　です。"), QStringLiteral("ﾞ先頭"),
                    QStringLiteral("Ａｂｃ①ｶﾞ")};
        for (const QString& s : samples)
            QCOMPARE(MessageSearch::fold(s), s.normalized(QString::NormalizationForm_KC).toCaseFolded());
    }

    void dateBoxes_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result"); // empty: refused
        QTest::newRow("month 6 written back 06") << int(MessageSearch::DateBox::FromMonth) << "6" << "06";
        QTest::newRow("month 13 refused") << int(MessageSearch::DateBox::ToMonth) << "13" << "";
        QTest::newRow("month 0 allowed") << int(MessageSearch::DateBox::FromMonth) << "0" << "00";
        QTest::newRow("day 32 refused") << int(MessageSearch::DateBox::ToDay) << "32" << "";
        QTest::newRow("year below 1000 refused") << int(MessageSearch::DateBox::FromYear) << "999" << "";
        QTest::newRow("not a number") << int(MessageSearch::DateBox::FromDay) << "1a" << "";
        QTest::newRow("full-width digits refused") << int(MessageSearch::DateBox::FromDay) << "１" << "";
    }
    void dateBoxes()
    {
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        const std::optional<QString> r = MessageSearch::checkDateBox(MessageSearch::DateBox(box), typed);
        QCOMPARE(r.value_or(QString()), result);
    }
};

class TestViewerWindow : public QObject
{
    Q_OBJECT

    struct Viewer {
        TestUser user;
        FakeMainHost host;
        QPointer<frmMsgView> w;
        QString path;

        explicit Viewer(const QByteArray& bytes)
        {
            user.loadSettings();
            path = QDir(user.folder()).filePath(QStringLiteral("msglog.txt"));
            Fs::writeBytes(path, bytes);
            user.ctx().iniFile().store(32, path);
            w = new frmMsgView(user.ctx(), host);
        }
        ~Viewer() { delete w.data(); }
        void open()
        {
            w->Form_Load();
            w->show();
        }
        QTreeWidgetItem* node(const QString& text) const
        {
            const QList<QTreeWidgetItem*> found = control<QTreeWidget>(w, "TreeView1")->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
            return found.value(0);
        }
        void click(const QString& text) const
        {
            QTreeWidgetItem* i = node(text);
            QVERIFY2(i, qPrintable(text));
            control<QTreeWidget>(w, "TreeView1")->setCurrentItem(i);
        }
        void selectRow(int row) const
        {
            auto* g = control<QTableView>(w, "DataGrid1");
            g->setCurrentIndex(g->model()->index(row, 1));
        }
        QString pane() const { return control<QTextEdit>(w, "txtMsg")->toPlainText(); }
    };

private Q_SLOTS:
    void opensOnTheDateTreeAndShowsAMessage()
    {
        Viewer v(logBytes({kTaro1, {'<', QStringLiteral("Hana"), QStringLiteral("2006/06/14 10:00:00"),
                                    QStringLiteral("<img src=x> と <a href=y>リンク</a>\n>引用\n>>再引用\n >字下げ")}}));
        v.open();
        QCOMPARE(v.host.paused, 1);
        QCOMPARE(v.w->windowTitle(), QStringLiteral("メッセージビューワ"));
        QCOMPARE(control<QComboBox>(v.w, "cboTVSort")->currentText(), QStringLiteral("日付,名前順"));
        QVERIFY(v.node(QStringLiteral("14日(水)"))->isExpanded());
        v.click(QStringLiteral("Hana"));
        QCOMPARE(v.w->currentNodeKey().text(), QStringLiteral("YMD20060614Hana"));
        QCOMPARE(v.w->grid().rowCount(), 1);
        v.selectRow(0);
        QCOMPARE(v.w->shownRecord(), 2);
        // Markup from another person's message is shown as written.
        QVERIFY(v.pane().contains(QStringLiteral("<img src=x> と <a href=y>リンク</a>")));
        // Quote colours by line.
        const Settings& s = v.user.ctx().settings();
        QTextDocument* doc = control<QTextEdit>(v.w, "txtMsg")->document();
        const auto colourOf = [&](const QString& start) {
            for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
                if (b.text().startsWith(start))
                    return b.begin().fragment().charFormat().foreground().color();
            return QColor();
        };
        QCOMPARE(colourOf(QStringLiteral("送信者　：")), SystemColors::fromSetting(s.intValue(101)));
        QCOMPARE(colourOf(QStringLiteral(">引用")), SystemColors::fromSetting(s.intValue(96)));
        QCOMPARE(colourOf(QStringLiteral(">>再引用")), SystemColors::fromSetting(s.intValue(97)));
        QCOMPARE(colourOf(QStringLiteral(" >字下げ")), SystemColors::fromSetting(s.intValue(95)));

        // The same row again does not draw the pane again.
        control<QTextEdit>(v.w, "txtMsg")->setPlainText(QStringLiteral("marker"));
        v.w->DataGrid1_SelChange();
        QCOMPARE(v.pane(), QStringLiteral("marker"));

        // A year node empties grid and pane.
        v.click(QStringLiteral("2006年"));
        QCOMPARE(v.w->grid().rowCount(), 0);
        QVERIFY(v.pane().isEmpty());
        QCOMPARE(v.w->shownRecord(), -1);
    }

    void titleClickKeepsTheShownMessageSelected()
    {
        Viewer v(logBytes({kTaro1, kTaro2}));
        v.open();
        control<QComboBox>(v.w, "cboTVSort")->setCurrentIndex(Date);
        v.click(QStringLiteral("14日(水)"));
        v.selectRow(0); // record 2, 08:00
        QCOMPARE(v.w->shownRecord(), 2);
        v.w->DataGrid1_TitleClick(3);
        v.w->DataGrid1_TitleClick(3);
        QCOMPARE(v.w->grid().headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("送受信日時 ▼"));
        QCOMPARE(v.w->selectedRecords(), QList<qint64> {2});
        QCOMPARE(control<QTableView>(v.w, "DataGrid1")->currentIndex().row(), 1);
    }

    void popupItemsFollowTheNodeOnceWired_data()
    {
        QTest::addColumn<bool>("wired");
        QTest::addColumn<bool>("trashNode");
        QTest::addColumn<QList<bool>>("enabled"); // 元に戻す, ゴミ箱へ, 完全に削除
        QTest::newRow("nothing wired") << false << true << QList<bool> {false, false, false};
        QTest::newRow("trash node") << true << true << QList<bool> {true, false, true};
        QTest::newRow("date node") << true << false << QList<bool> {false, true, false};
    }
    void popupItemsFollowTheNodeOnceWired()
    {
        QFETCH(bool, wired);
        QFETCH(bool, trashNode);
        QFETCH(QList<bool>, enabled);
        Viewer v(logBytes({kTaro1, {'>', QStringLiteral("Jiro"), QStringLiteral("2006/06/13 09:00:00"), QStringLiteral("t"), true}}));
        int trash = 0, purge = 0, restore = 0;
        if (wired) {
            QObject::connect(v.w, &frmMsgView::moveToTrashRequested, [&] { ++trash; });
            QObject::connect(v.w, &frmMsgView::purgeRequested, [&] { ++purge; });
            QObject::connect(v.w, &frmMsgView::restoreRequested, [&] { ++restore; });
        }
        v.open();
        v.click(trashNode ? QStringLiteral("ごみ箱") : QStringLiteral("Taro"));
        v.selectRow(0);
        v.w->showPopup(QPoint(0, 0));
        QCOMPARE((QList<bool> {control<QAction>(v.w, "mnuPopModosu")->isEnabled(), control<QAction>(v.w, "mnuPopGomi")->isEnabled(),
                               control<QAction>(v.w, "mnuPopGomi2")->isEnabled()}),
                 enabled);
        control<QMenu>(v.w, "mnuPop")->close();
        auto* grid = control<QTableView>(v.w, "DataGrid1");
        QTest::keyClick(grid, Qt::Key_Delete);
        QTest::keyClick(grid, Qt::Key_Backspace);
        QCOMPARE((QList<int> {restore, trash, purge}),
                 (QList<int> {int(enabled[0]), int(enabled[1]), int(enabled[2])}));
    }

    void splitterStopsAtTheEdgeAndIsSaved()
    {
        Viewer v(logBytes({kTaro1}));
        v.open();
        auto* bar = control<QFrame>(v.w, "Image1");
        const auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons buttons) {
            QMouseEvent e(type, bar->mapFromGlobal(global), global, button, buttons, Qt::NoModifier);
            QApplication::sendEvent(bar, &e);
        };
        const QPoint start = bar->mapToGlobal(QPoint(1, 10));
        send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        QVERIFY(control<QFrame>(v.w, "Picture1")->isVisible());
        send(QEvent::MouseMove, start - QPoint(5000, 0), Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, start - QPoint(5000, 0), Qt::LeftButton, Qt::NoButton);
        QVERIFY(!control<QFrame>(v.w, "Picture1")->isVisible());
        QCOMPARE(bar->x(), Twips::toPixels(100));
        v.w->close();
        QCOMPARE(v.host.resumed, 1);
        Settings& s = v.user.ctx().settings();
        s.setInt(91, 0);
        QVERIFY(v.user.ctx().iniFile().Inifile_Read());
        QCOMPARE(Twips::toPixels(s.intValue(91)), Twips::toPixels(100));
    }

    // A long pass lets events run by the clock, a few times a second, not
    // once per line: the timers of the windows fire and the bar moves.
    void progressLetsEventsRunByTime()
    {
        QWidget owner;
        owner.show();
        int ticks = 0;
        QTimer timer;
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start();
        frmBar bar(&owner, QStringLiteral("メッセージを読み込んでいます．．．"), 1000000);
        QCOMPARE(bar.windowTitle(), QStringLiteral("メッセージを読み込んでいます．．．"));
        ticks = 0;
        QElapsedTimer clock;
        clock.start();
        qint64 steps = 0;
        while (clock.elapsed() < 200)
            bar.step(++steps % 1000000);
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(bar.servicedRounds() >= 2, qPrintable(QString::number(bar.servicedRounds())));
        QVERIFY(bar.servicedRounds() <= elapsed / 30 + 1);
        QVERIFY(steps > 100 * bar.servicedRounds());
        QVERIFY(ticks >= 1);
        QVERIFY(control<QProgressBar>(&bar, "pgb1")->value() > 0);
    }

    void closeWhileBusyWaitsForThePass()
    {
        Viewer v(logBytes({kTaro1}));
        v.open();
        v.w->setBusy(true);
        v.w->close();
        QVERIFY(v.w && v.w->isVisible());
        QCOMPARE(v.host.resumed, 0);
        v.w->setBusy(false);
        QTRY_VERIFY(!v.w);
        QCOMPARE(v.host.resumed, 1);
    }

    void lockedLog_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("right password") << "pw" << " pw " << false << true << QStringList();
        QTest::newRow("empty password, empty box") << "" << "" << false << true << QStringList();
        QTest::newRow("wrong password") << "pw" << "px" << false << false
                                        << QStringList {"パスワードが暗号化された時のものと違います\n正しいパスワードを入力してください"};
        QTest::newRow("cancelled") << "pw" << "" << true << false << QStringList();
    }
    void lockedLog()
    {
        QFETCH(QString, password);
        QFETCH(QString, typed);
        QFETCH(bool, cancel);
        QFETCH(bool, shown);
        Viewer v(lockedBytes({kTaro1, kTaro2}, password));
        whenModal<frmPass2>([&](frmPass2* p) {
            QVERIFY(!control<QLineEdit>(p, "txtPass2")->isVisibleTo(p));
            control<QLineEdit>(p, "txtPass1")->setText(typed);
            control<QPushButton>(p, cancel ? "cmdCancel" : "cmdOK")->click();
        });
        v.open();
        QFETCH(QStringList, boxes);
        QCOMPARE(v.user.box().texts(), boxes);
        QCOMPARE(v.w->windowTitle(), QStringLiteral("メッセージビューワ（暗号化ファイル）"));
        QCOMPARE(v.w->log().size(), shown ? 2 : 0);
        QCOMPARE(bool(v.node(QStringLiteral("Taro"))), shown);
        QVERIFY(v.node(QStringLiteral("ごみ箱")));
        if (shown) {
            // A rebuild does not ask again for the password it already has.
            v.w->rebuild();
            QCOMPARE(v.w->log().size(), 2);
        }
    }

    void setPasswordModeWantsTheConfirmation()
    {
        TestUser u;
        frmPass2 p(u.box(), frmPass2::SetPassword);
        control<QLineEdit>(&p, "txtPass1")->setText(QStringLiteral("abc"));
        control<QLineEdit>(&p, "txtPass2")->setText(QStringLiteral("abd"));
        p.cmdOK_Click();
        QCOMPARE(u.box().shown().last().title, QStringLiteral("確認用パスワードが違います"));
        QVERIFY(control<QLineEdit>(&p, "txtPass1")->text().isEmpty());
        QVERIFY(control<QLineEdit>(&p, "txtPass2")->text().isEmpty());
        QCOMPARE(p.result(), 0);
        control<QLineEdit>(&p, "txtPass1")->setText(QStringLiteral(" abc"));
        control<QLineEdit>(&p, "txtPass2")->setText(QStringLiteral("abc "));
        p.cmdOK_Click();
        QCOMPARE(p.result(), int(QDialog::Accepted));
        QCOMPARE(p.password(), QStringLiteral("abc"));
    }

    void damagedLogGivesOneBoxAndACount()
    {
        QStringList lines;
        for (int k = 0; k < 5; ++k)
            lines += {QStringLiteral("送信者：Taro 2006/0x/14 10:20:30"), QString(), MessageLog::separator()};
        Viewer v(TextFile::joinLines(lines));
        v.open();
        QCOMPARE(v.user.box().texts(),
                 (QStringList {"hizuke error!(1レコード目 内容＝送信者：Taro 2006/0x/14 10:20:30)",
                               "ほかに 4 件の日付エラーがあります（読み飛ばしました）"}));
    }

    void lockStateIsReadFromTheFileAtEveryLoad()
    {
        Viewer v(logBytes({kTaro1}));
        v.open();
        QCOMPARE(v.w->lockedLog(), false);
        // Another copy locks the log; the next rebuild sees it.
        Fs::writeBytes(v.path, lockedBytes({kTaro1}, QStringLiteral("pw")));
        whenModal<frmPass2>([](frmPass2* p) {
            control<QLineEdit>(p, "txtPass1")->setText(QStringLiteral("pw"));
            control<QPushButton>(p, "cmdOK")->click();
        });
        v.w->rebuild();
        QCOMPARE(v.w->lockedLog(), true);
        QCOMPARE(v.w->log().size(), 1);
        // And unlocks it again.
        Fs::writeBytes(v.path, logBytes({kTaro1, kTaro2}));
        v.w->rebuild();
        QCOMPARE(v.w->lockedLog(), false);
        QCOMPARE(v.w->windowTitle(), QStringLiteral("メッセージビューワ"));
        QCOMPARE(v.w->log().size(), 2);
    }

    void rebuildReselectsTheNodeInSortedOrder()
    {
        Viewer v(logBytes({kTaro1, kTaro2}));
        v.open();
        v.click(QStringLiteral("Taro"));
        Fs::appendBytes(v.path, logBytes({{'>', QStringLiteral("Taro"), QStringLiteral("2006/06/14 07:00:00"), QStringLiteral("c")}}));
        v.w->rebuild();
        QCOMPARE(v.w->currentNodeKey().text(), QStringLiteral("YMD20060614Taro"));
        QCOMPARE(numbers(v.w->grid().rows()), (QList<qint32> {3, 2, 1}));
        QCOMPARE(control<QTreeWidget>(v.w, "TreeView1")->currentItem()->text(0), QStringLiteral("Taro"));
    }

    void search_data()
    {
        QTest::addColumn<QStringList>("steps"); // "box=text", "tick:box", "join:1", "search"
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QList<qint32>>("rows");
        QTest::addColumn<QStringList>("after"); // "box=text" or "box:checked"/"box:unchecked"
        QTest::newRow("one day") << QStringList {"tick:chkSoushinbi", "txtNenFrom=2006", "txtGetsuFrom=06", "txtNichiFrom=14",
                                                 "txtNenTo=2006", "txtGetsuTo=06", "txtNichiTo=14"}
                                 << QStringList() << "2件のメッセージが見つかりました" << QList<qint32> {2, 1} << QStringList();
        QTest::newRow("month 6 written back as 06")
            << QStringList {"tick:chkSoushinbi", "txtGetsuFrom=6"} << QStringList() << "3件のメッセージが見つかりました"
            << QList<qint32> {2, 1, 3} << QStringList {"txtGetsuFrom=06"};
        QTest::newRow("month 13 refused and reset")
            << QStringList {"tick:chkSoushinbi", "txtGetsuTo=13"} << QStringList {"正しい数値を入力してください"} << ""
            << QList<qint32>() << QStringList {"txtGetsuTo=12"};
        QTest::newRow("from after to") << QStringList {"tick:chkSoushinbi", "txtNenFrom=2007", "txtNenTo=2006"}
                                       << QStringList {"送信日のFROMよりTOの方が小さい値になっています"} << ""
                                       << QList<qint32>() << QStringList {"txtNenFrom=2007"};
        QTest::newRow("nothing ticked") << QStringList()
                                        << QStringList {"検索条件が指定されていません\n検索条件を指定して、再度検索してください"}
                                        << "" << QList<qint32>() << QStringList();
        QTest::newRow("または finds a sender alone")
            << QStringList {"txtAtesaki=誰もいない", "txtSashidashi=ＨＡＮＡ", "join:1"} << QStringList()
            << "1件のメッセージが見つかりました" << QList<qint32> {3}
            << QStringList {"chkAtesaki:checked", "chkSashidashi:checked", "cboAndOr0=または", "cboAndOr2=または"};
        QTest::newRow("clearing 本文 unticks it")
            << QStringList {"txtHonbun=件", "txtHonbun="} << QStringList {"検索条件が指定されていません\n検索条件を指定して、再度検索してください"}
            << "" << QList<qint32>() << QStringList {"chkHonbun:unchecked"};
    }
    void search()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, after);
        Viewer v(logBytes({kTaro1, kTaro2, {'<', QStringLiteral("Hana"), QStringLiteral("2006/07/02 10:00:00"), QStringLiteral("y"), true}}));
        v.open();
        v.click(QStringLiteral("Taro"));
        frmKensaku k(v.user.ctx(), v.host, *v.w);
        for (const QString& step : steps) {
            if (step.startsWith(u"tick:")) {
                control<QCheckBox>(&k, step.mid(5))->setChecked(true);
            } else if (step.startsWith(u"join:")) {
                auto* c = control<QComboBox>(&k, "cboAndOr1");
                c->setCurrentIndex(step.mid(5).toInt());
                Q_EMIT c->activated(c->currentIndex());
            } else {
                const QString name = step.section(u'=', 0, 0);
                auto* e = control<QLineEdit>(&k, name);
                e->selectAll();
                if (step.section(u'=', 1).isEmpty())
                    QTest::keyClick(e, Qt::Key_Backspace);
                else
                    e->insert(step.section(u'=', 1)); // as an input method commits it
            }
        }
        v.user.box().clear();
        QTest::keyClick(control<QLineEdit>(&k, "txtHonbun"), Qt::Key_Return);
        QFETCH(QStringList, boxes);
        QCOMPARE(v.user.box().texts(), boxes);
        QFETCH(QString, result);
        QCOMPARE(control<QLabel>(&k, "lblKekka")->text(), result);
        if (!result.isEmpty()) {
            QFETCH(QList<qint32>, rows);
            QCOMPARE(numbers(v.w->grid().rows()), rows);
            QVERIFY(v.w->currentNodeKey().isNone());
        } else {
            QCOMPARE(v.w->currentNodeKey().text(), QStringLiteral("YMD20060614Taro"));
        }
        for (const QString& a : after) {
            if (a.contains(u':'))
                QCOMPARE(control<QCheckBox>(&k, a.section(u':', 0, 0))->isChecked(), a.endsWith(u":checked"));
            else if (a.startsWith(u"cbo"))
                QCOMPARE(control<QComboBox>(&k, a.section(u'=', 0, 0))->currentText(), a.section(u'=', 1));
            else
                QCOMPARE(control<QLineEdit>(&k, a.section(u'=', 0, 0))->text(), a.section(u'=', 1));
        }
    }
};

PORLUNE_TEST_MAIN(TestLogView, TestGridAndDisplay, TestSearch, TestViewerWindow)

#include "tst_msgview.moc"
