#include "common/TextScramble.h"
#include "msglog/MessageLog.h"
#include "platform/FileOps.h"
#include "platform/TextCodec.h"
#include "board/WhereaboutsLists.h"
#include "support/SharedPlace.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QDir>

using namespace MessageLog;

namespace {

QByteArray crlf(const QStringList& lines)
{
    QByteArray out;
    for (const QString& l : lines)
        out += Sjis::encode(l) + "\r\n";
    return out;
}

const QString kSep = QString(35, u'-');

} // namespace

class TestMessageLogReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void records_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("addressees");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("trash");

        QTest::newRow("empty log") << QStringList() << 0 << QString() << QString() << QString() << QString()
                                   << QString() << QString() << false;
        QTest::newRow("no final separator")
            << QStringList {QStringLiteral("送信者：Taro(10:20 05/12)"), QString(), QStringLiteral("やあ")}
            << 0 << QString() << QString() << QString() << QString() << QString() << QString() << false;
        QTest::newRow("short date form")
            << QStringList {QStringLiteral("送信者：Taro(10:20 05/12)"), QString(), QStringLiteral("やあ"), QString(),
                            QStringLiteral("宛先：Hanako"), kSep}
            << 1 << QStringLiteral("20030512") << QStringLiteral("102000") << QStringLiteral("1")
            << QStringLiteral("Taro") << QStringLiteral("Hanako") << QStringLiteral("\r\nやあ\r\n\r\n") << false;
        QTest::newRow("full date form, sent, trailing comma, trash")
            << QStringList {QStringLiteral("宛先：A,B,"), QString(), QStringLiteral("会議は\"3F\", 10時"), QString(),
                            QStringLiteral("送信者：Taro 2006/06/14 10:20:30"), QStringLiteral("<d>") + kSep}
            << 1 << QStringLiteral("20060614") << QStringLiteral("102030") << QStringLiteral("0")
            << QStringLiteral("Taro") << QStringLiteral("A,B") << QStringLiteral("\r\n会議は\"3F\", 10時\r\n\r\n") << true;
        QTest::newRow("received, full date in brackets")
            << QStringList {QStringLiteral("送信者：山田 太郎(2006/06/14 10:20:30)"), QString(), QStringLiteral("x"), QString(),
                            QStringLiteral("宛先：Hanako"), kSep}
            << 1 << QStringLiteral("20060614") << QStringLiteral("102030") << QStringLiteral("1")
            << QStringLiteral("山田 太郎") << QStringLiteral("Hanako") << QStringLiteral("\r\nx\r\n\r\n") << false;
        QTest::newRow("text line that looks like a header is one")
            << QStringList {QStringLiteral("宛先：A,"), QString(), QStringLiteral("宛先：B"), QString(),
                            QStringLiteral("送信者：Taro 2006/06/14 10:20:30"), kSep}
            << 1 << QStringLiteral("20060614") << QStringLiteral("102030") << QStringLiteral("0")
            << QStringLiteral("Taro") << QStringLiteral("B") << QStringLiteral("\r\n\r\n") << false;
        QTest::newRow("text line of 35 hyphens ends the record")
            << QStringList {QStringLiteral("宛先：A,"), QString(), kSep, QString(), QStringLiteral("送信者：Taro 2006/06/14 10:20:30"), kSep}
            << 2 << QString() << QString() << QStringLiteral("0") << QString() << QStringLiteral("A")
            << QStringLiteral("\r\n") << false;
        QTest::newRow("no point where the name ends")
            << QStringList {QStringLiteral("送信者：Taro()"), QStringLiteral("x"), kSep}
            << 1 << QString() << QString() << QStringLiteral("1") << QStringLiteral("Taro()") << QString()
            << QStringLiteral("x\r\n") << false;
    }

    void records()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, count);
        const ParseResult r = parse(crlf(lines));
        QVERIFY(!r.locked);
        QCOMPARE(r.records.size(), count);
        if (count == 0)
            return;
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(QString, direction);
        QFETCH(QString, sender);
        QFETCH(QString, addressees);
        QFETCH(QString, text);
        QFETCH(bool, trash);
        const Record rec = r.records.at(0);
        QCOMPARE(rec.number, 1);
        QCOMPARE(rec.date, date);
        QCOMPARE(rec.time, time);
        QCOMPARE(rec.direction, direction);
        QCOMPARE(rec.sender, sender);
        QCOMPARE(rec.addressees, addressees);
        QCOMPARE(rec.text, text);
        QCOMPARE(rec.inTrash(), trash);
        QCOMPARE(r.records.otherParty(0), rec.outgoing() ? rec.addressees : rec.sender);
    }

    void lineNumbersAndTextAcrossRecords()
    {
        const QStringList lines = sentRecord({QStringLiteral("A")}, QStringLiteral("一\n二"), QStringLiteral("Taro"),
                                             QStringLiteral("2006/06/14 10:20:30"))
            + receivedRecord(QStringLiteral("B"), QStringLiteral("2006/06/15 08:00:00"), QStringLiteral("三"),
                             QStringLiteral("Taro"));
        QByteArray bytes = crlf(lines);
        const ParseResult r = parse(bytes);
        QCOMPARE(r.records.size(), 2);
        QCOMPARE(r.records.firstLine(0), 1);
        QCOMPARE(r.records.separatorLine(0), 7);
        QCOMPARE(r.records.firstLine(1), 8);
        QCOMPARE(r.records.separatorLine(1), 13);
        QCOMPARE(r.records.text(0), QStringLiteral("\r\n一\r\n二\r\n\r\n"));
        QCOMPARE(r.records.at(1).sender, QStringLiteral("B"));
        QCOMPARE(r.lineCount, 13);

        // The same log with LF line ends reads the same.
        bytes.replace("\r\n", "\n");
        const ParseResult lf = parse(bytes);
        QCOMPARE(lf.records.size(), 2);
        QCOMPARE(lf.records.text(0), r.records.text(0));
        QCOMPARE(lf.records.at(1).text, r.records.at(1).text);
    }

    void dateErrorIsReportedAndTheRecordKept()
    {
        TestUser u;
        const QString path = QDir(u.folder()).filePath(QStringLiteral("msglog.txt"));
        const QString bad = QStringLiteral("送信者：Taro 14.06.2006");
        Fs::writeBytes(path, crlf({QStringLiteral("宛先：A,"), QStringLiteral("x"), bad, kSep}));
        const ParseResult r = Msglog_Read(path, u.box());
        QCOMPARE(r.records.size(), 1);
        QCOMPARE(r.records.date(0), QString());
        QCOMPARE(r.records.sender(0), QString());
        QCOMPARE(u.box().texts(), QStringList {QStringLiteral("hizuke error!(3レコード目 内容＝") + bad + u')'});
        QCOMPARE(u.box().shown()[0].title, QStringLiteral("Porlune"));
    }

    void lockedLogStartsAtLineThree()
    {
        const QStringList plain = receivedRecord(QStringLiteral("B"), QStringLiteral("2006/06/15 08:00:00"),
                                                 QStringLiteral("秘密の話"), QStringLiteral("Taro"));
        QStringList locked {Text_Scramble(lockMarker(), 1), Text_Scramble(QStringLiteral("pw"), 1)};
        for (const QString& l : plain)
            locked.append(Text_Scramble(l, 1));
        const ParseResult r = parse(crlf(locked));
        QVERIFY(r.locked);
        QCOMPARE(r.password, QStringLiteral("pw"));
        QCOMPARE(r.records.size(), 1);
        QCOMPARE(r.records.firstLine(0), 3);
        QCOMPARE(r.records.separatorLine(0), 8);
        QCOMPARE(r.records.text(0), QStringLiteral("\r\n秘密の話\r\n\r\n"));
        QCOMPARE(r.records.date(0), QStringLiteral("20060615"));
        QVERIFY(!r.records.text(0).contains(lockMarker()));
        QVERIFY(!r.unreadableLine);
    }
};

class TestMessageLogWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordsAreWrittenByteExact()
    {
        TestUser u;
        u.loadSettings();
        const QString path = u.ctx().settings().text(32);
        QCOMPARE(Fs::writeBytes(path, QByteArray()), 0);
        QVERIFY(appendRecord(u.ctx(), sentRecord({QStringLiteral("Taro"), QStringLiteral("花子")}, QStringLiteral("了解\nです"),
                                                 QStringLiteral("山田"), QStringLiteral("2006/06/14 09:05:07")),
                             QStringLiteral("(frmMailSend_cmdSend_Click")));
        QVERIFY(appendRecord(u.ctx(), receivedRecord(QStringLiteral("花子"), QStringLiteral("2006/06/14 09:06:00"),
                                                     QStringLiteral("はい"), QStringLiteral("山田")),
                             QStringLiteral("(frmMessage_cmdClose_Click")));
        const QByteArray hyphens(35, '-');
        const QByteArray expected =
            // 宛先：Taro,花子,
            QByteArray::fromHex("88b690e68146") + "Taro," + QByteArray::fromHex("89d48e71") + ",\r\n\r\n"
            // 了解 / です
            + QByteArray::fromHex("97b989f0") + "\r\n" + QByteArray::fromHex("82c582b7") + "\r\n\r\n"
            // 送信者：山田 2006/06/14 09:05:07
            + QByteArray::fromHex("9197904d8ed28146") + QByteArray::fromHex("8e529363") + " 2006/06/14 09:05:07\r\n"
            + hyphens + "\r\n"
            // 送信者：花子(2006/06/14 09:06:00)
            + QByteArray::fromHex("9197904d8ed28146") + QByteArray::fromHex("89d48e71") + "(2006/06/14 09:06:00)\r\n\r\n"
            + QByteArray::fromHex("82cd82a2") + "\r\n\r\n"
            // 宛先：山田
            + QByteArray::fromHex("88b690e68146") + QByteArray::fromHex("8e529363") + "\r\n" + hyphens + "\r\n";
        QCOMPARE(Fs::readBytes(path).toHex(' '), expected.toHex(' '));
        QVERIFY(u.box().shown().isEmpty());
        QCOMPARE(parse(Fs::readBytes(path)).records.size(), 2);
    }

    // Sender and send time come from a message file anybody can put into the
    // mail place: a line break in them must not start lines of its own.
    void receivedHeaderStaysOneLine_data()
    {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("sentAt");
        QTest::addColumn<QString>("storedSender");
        QTest::newRow("separator and addressee in the sender")
            << QStringLiteral("Taro\r\n") + kSep + QStringLiteral("\r\n宛先：偽") << QStringLiteral("2006/06/14 09:06:00")
            << QStringLiteral("Taro") + kSep + QStringLiteral("宛先：偽");
        QTest::newRow("separator in the send time")
            << QStringLiteral("Taro") << QStringLiteral("2006/06/14 09:06:00\n") + kSep + QStringLiteral("\r")
            << QStringLiteral("Taro");
    }
    void receivedHeaderStaysOneLine()
    {
        QFETCH(QString, sender);
        QFETCH(QString, sentAt);
        QFETCH(QString, storedSender);
        TestUser u;
        u.loadSettings();
        const QString path = u.ctx().settings().text(32);
        QCOMPARE(Fs::writeBytes(path, QByteArray()), 0);
        QVERIFY(appendRecord(u.ctx(), receivedRecord(sender, sentAt, QStringLiteral("はい"), QStringLiteral("山田")),
                             QStringLiteral("(frmMessage_cmdClose_Click")));
        const ParseResult r = parse(Fs::readBytes(path));
        QCOMPARE(r.lineCount, 6);
        QCOMPARE(r.records.size(), 1);
        QCOMPARE(r.records.sender(0), storedSender);
        QCOMPARE(r.records.date(0), QStringLiteral("20060614"));
        QCOMPARE(r.records.addressees(0), QStringLiteral("山田"));
        QCOMPARE(r.records.text(0), QStringLiteral("\r\nはい\r\n\r\n"));
    }

    // A log saved by an editor that drops the last line break: the record
    // appended next must not run into that last line.
    void appendAfterALastLineWithoutBreak_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("plain") << false;
        QTest::newRow("locked") << true;
    }
    void appendAfterALastLineWithoutBreak()
    {
        QFETCH(bool, locked);
        TestUser u;
        u.loadSettings();
        const QString path = u.ctx().settings().text(32);
        QStringList lines = receivedRecord(QStringLiteral("花子"), QStringLiteral("2006/06/14 09:06:00"),
                                           QStringLiteral("一通目"), QStringLiteral("山田"));
        if (locked) {
            lines.prepend(QString());
            lines.prepend(lockMarker());
            for (QString& line : lines)
                line = Text_Scramble(line, 1);
        }
        QByteArray bytes = crlf(lines);
        bytes.chop(2);
        QCOMPARE(Fs::writeBytes(path, bytes), 0);
        QVERIFY(appendRecord(u.ctx(), sentRecord({QStringLiteral("花子")}, QStringLiteral("二通目"), QStringLiteral("山田"),
                                                 QStringLiteral("2006/06/14 09:07:00")),
                             QStringLiteral("(frmMailSend_cmdSend_Click")));
        const ParseResult r = parse(Fs::readBytes(path));
        QCOMPARE(r.locked, locked);
        QVERIFY(!r.unreadableLine);
        QCOMPARE(r.records.size(), 2);
        QCOMPARE(r.records.text(0), QStringLiteral("\r\n一通目\r\n\r\n"));
        QCOMPARE(r.records.addressees(1), QStringLiteral("花子"));
        QCOMPARE(r.records.text(1), QStringLiteral("\r\n二通目\r\n\r\n"));
    }

    void emptyTextHasNoTextLines()
    {
        const QStringList lines = sentRecord({QStringLiteral("A")}, QString(), QStringLiteral("B"),
                                             QStringLiteral("2006/06/14 09:05:07"));
        QCOMPARE(lines, QStringList({QStringLiteral("宛先：A,"), QString(), QString(),
                                     QStringLiteral("送信者：B 2006/06/14 09:05:07"), kSep}));
    }

    void appendToALockedLogScramblesEachLine()
    {
        TestUser u;
        u.loadSettings();
        const QString path = u.ctx().settings().text(32);
        Fs::writeBytes(path, crlf({Text_Scramble(lockMarker(), 1), Text_Scramble(QString(), 1)}));
        QVERIFY(appendRecord(u.ctx(), receivedRecord(QStringLiteral("B"), QStringLiteral("2006/06/14 09:06:00"),
                                                     QStringLiteral("はい"), QStringLiteral("山田")),
                             QStringLiteral("(frmMessage_cmdClose_Click")));
        const QByteArray bytes = Fs::readBytes(path);
        QVERIFY(!bytes.contains(Sjis::encode(QStringLiteral("はい"))));
        const ParseResult r = parse(bytes);
        QVERIFY(r.locked);
        QCOMPARE(r.records.size(), 1);
        QCOMPARE(r.records.text(0), QStringLiteral("\r\nはい\r\n\r\n"));
        QVERIFY(isLocked(path));
    }

    // Two copies of the program append in turn to one log and one whereabouts
    // log on a shared folder, each through its own mount of the share.
    void appendsOnASharedFolder_data() { SHARED_PLACES_TWO_MOUNTS_DATA(); }
    void appendsOnASharedFolder()
    {
        QFETCH(SharedPlace::Kind, place);
        SHARED_PLACE(dir, place);
        TestUser a, b;
        a.loadSettings();
        b.loadSettings();
        const QString log = QStringLiteral("msglog.txt"), golog = QStringLiteral("golog.txt");
        a.ctx().settings().setText(32, dir.file(log));
        b.ctx().settings().setText(32, dir.file2(log));
        a.ctx().settings().setText(33, dir.file(golog));
        b.ctx().settings().setText(33, dir.file2(golog));
        QCOMPARE(Fs::writeBytes(dir.file(log), QByteArray()), 0);
        QCOMPARE(Fs::writeBytes(dir.file(golog), QByteArray()), 0);
        QStringList expectedGo;
        for (int k = 0; k < 3; ++k) {
            TestUser& u = k % 2 ? b : a;
            const QString text = QStringLiteral("通目") + QString::number(k);
            QVERIFY(appendRecord(u.ctx(), receivedRecord(QStringLiteral("花子"), QStringLiteral("2006/06/14 09:06:00"),
                                                         text, QStringLiteral("山田")),
                                 QStringLiteral("(frmMessage_cmdClose_Click")));
            expectedGo << QStringLiteral("行き先") + QString::number(k);
            QVERIFY(appendWhereaboutsLog(u.ctx(), expectedGo.last(), QStringLiteral("(cmdSettei_Click")));
        }
        QVERIFY(a.box().shown().isEmpty());
        QVERIFY(b.box().shown().isEmpty());
        const ParseResult r = parse(Fs::readBytes(dir.file(log)));
        QCOMPARE(r.records.size(), 3);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(r.records.text(k), QStringLiteral("\r\n通目") + QString::number(k) + QStringLiteral("\r\n\r\n"));
        QCOMPARE(Fs::readBytes(dir.file2(golog)), crlf(expectedGo));
        // No claim is left behind beside either file.
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.lck")}, QDir::AllEntries | QDir::Hidden), QStringList());
    }

    void missingLogIsNotCreated()
    {
        TestUser u;
        u.loadSettings();
        const QString path = u.ctx().settings().text(32);
        QVERIFY(!appendRecord(u.ctx(), sentRecord({QStringLiteral("A")}, QStringLiteral("x"), QStringLiteral("B"),
                                                  QStringLiteral("2006/06/14 09:05:07")),
                              QStringLiteral("(frmMailSend_cmdSend_Click")));
        QVERIFY(!Fs::exists(path));
        QCOMPARE(u.box().shown().size(), 1);
        QCOMPARE(u.box().shown()[0].title, QStringLiteral("ファイルが見つかりません"));
        QCOMPARE(u.box().shown()[0].text, QStringLiteral("ログを書き込むファイルが見つかりません\n[ファイル]-[個別ファイルの場所の設定]を確認してください"));
    }
};

PORLUNE_TEST_MAIN(TestMessageLogReader, TestMessageLogWriter)

#include "tst_msglog.moc"
