#include "common/TextScramble.h"
#include "msglog/LogRewrite.h"
#include "msglog/MessageLog.h"
#include "platform/FileOps.h"
#include "platform/TextCodec.h"
#include "support/SharedPlace.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QTest>

using LogRewrite::Outcome;

namespace {

const QString kSep = QString(35, u'-');
const QString kTrash = QStringLiteral("<d>") + kSep;

// Three records; record 2 already in the trash.
QStringList threeRecords()
{
    return {QStringLiteral("送信者：山田 20260101 090000"), QStringLiteral("一つ目"), kSep,
            QStringLiteral("送信者：佐藤 20260102 100000"), QStringLiteral("二つ目"), kTrash,
            QStringLiteral("宛先：鈴木,"), QStringLiteral("三つ目"), QStringLiteral("続き"), kSep};
}

QByteArray crlf(const QStringList& lines)
{
    QByteArray out;
    for (const QString& l : lines)
        out += Sjis::encode(l) + "\r\n";
    return out;
}

QStringList plainLines(const QString& path)
{
    QString text = Sjis::decode(Fs::readBytes(path));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList decodedLines(const QString& path)
{
    QStringList out;
    for (const QString& l : plainLines(path))
        out << Scramble::decode(l).value_or(QStringLiteral("<undecodable>"));
    return out;
}

struct Loaded {
    MessageLog::ParseResult parsed;
    Fs::FileStamp stamp;
};

Loaded load(const QString& path)
{
    Loaded l;
    int err = 0;
    const QByteArray bytes = Fs::readBytes(path, &err, &l.stamp);
    l.parsed = MessageLog::parse(bytes);
    return l;
}

} // namespace

class TestLogRewrite : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void trashAndRestore_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("onShare");
        QTest::newRow("plain, local") << false << false;
        QTest::newRow("locked, local") << true << false;
        QTest::newRow("plain, share") << false << true;
    }
    // Trash flips exactly the live separators of the selection (a trashed
    // record in it stays), keeps the line count and leaves the old log as .bak;
    // restore of the same records gives the file back.
    void trashAndRestore()
    {
        QFETCH(bool, locked);
        QFETCH(bool, onShare);
        SharedPlace place(onShare ? SharedPlace::Share : SharedPlace::Local);
        if (!place.ok())
            QSKIP("no SMB rig (run through tools/test.sh)");
        const QString path = place.path() + QStringLiteral("/msglog.txt");
        QCOMPARE(Fs::writeBytes(path, crlf(threeRecords())), 0);
        if (locked)
            QCOMPARE(LogRewrite::lock(path, QStringLiteral("pw")).outcome, Outcome::Done);
        const QByteArray before = Fs::readBytes(path);

        Loaded l = load(path);
        QCOMPARE(l.parsed.records.size(), 3);
        const auto trashed = LogRewrite::moveToTrash(path, l.stamp, l.parsed.records, {3, 2, 1});
        QCOMPARE(trashed.outcome, Outcome::Done);
        QCOMPARE(trashed.changedRecords, 2);
        QCOMPARE(Fs::readBytes(path + QStringLiteral(".bak")), before);
        // The backup is a file of its own: what is appended to the log later
        // does not reach it.
        const QByteArray rewritten = Fs::readBytes(path);
        QCOMPARE(Fs::appendBytes(path, "x\r\n"), 0);
        QCOMPARE(Fs::readBytes(path + QStringLiteral(".bak")), before);
        QCOMPARE(Fs::writeBytes(path, rewritten), 0);
        QStringList expected = threeRecords();
        expected[2] = kTrash;
        expected[9] = kTrash;
        if (locked)
            expected = QStringList {MessageLog::lockMarker(), QStringLiteral("pw")} + expected;
        QCOMPARE(locked ? decodedLines(path) : plainLines(path), expected);

        l = load(path);
        for (qsizetype k = 0; k < 3; ++k)
            QVERIFY(l.parsed.records.inTrash(k));
        QCOMPARE(LogRewrite::restore(path, l.stamp, l.parsed.records, {1, 3}).changedRecords, 2);
        if (locked)
            QCOMPARE(decodedLines(path), decodedLines(path + QStringLiteral(".bak")).mid(0, 2)
                                             + threeRecords());
        else
            QCOMPARE(Fs::readBytes(path), before);
    }

    void nothingToDoWritesNothing_data()
    {
        QTest::addColumn<int>("op"); // 0 trash, 1 restore, 2 purge
        QTest::addColumn<QList<qint64>>("numbers");
        QTest::newRow("trash, nothing selected") << 0 << QList<qint64> {};
        QTest::newRow("trash, numbers not in table") << 0 << QList<qint64> {0, 4, -1};
        QTest::newRow("trash, already in trash") << 0 << QList<qint64> {2};
        QTest::newRow("restore, live record") << 1 << QList<qint64> {1, 3};
        QTest::newRow("purge, live record") << 2 << QList<qint64> {1};
        QTest::newRow("purge, nothing selected") << 2 << QList<qint64> {};
    }
    void nothingToDoWritesNothing()
    {
        QFETCH(int, op);
        QFETCH(QList<qint64>, numbers);
        SharedPlace place(SharedPlace::Local);
        const QString path = place.path() + QStringLiteral("/msglog.txt");
        QCOMPARE(Fs::writeBytes(path, crlf(threeRecords())), 0);
        const Loaded l = load(path);
        const auto r = op == 0   ? LogRewrite::moveToTrash(path, l.stamp, l.parsed.records, numbers)
                       : op == 1 ? LogRewrite::restore(path, l.stamp, l.parsed.records, numbers)
                                 : LogRewrite::purge(path, l.stamp, l.parsed.records, numbers);
        QCOMPARE(r, (LogRewrite::Result {Outcome::Done, 0, 0}));
        QCOMPARE(Fs::stamp(path), l.stamp);
        QVERIFY(!Fs::exists(path + QStringLiteral(".bak")));
    }

    // A log appended to after loading is refused by all three, untouched.
    void changedLogRefused()
    {
        SharedPlace place(SharedPlace::Local);
        const QString path = place.path() + QStringLiteral("/msglog.txt");
        QCOMPARE(Fs::writeBytes(path, crlf(threeRecords())), 0);
        const Loaded l = load(path);
        QCOMPARE(Fs::appendBytes(path, crlf({QStringLiteral("追記"), kSep})), 0);
        const Fs::FileStamp after = Fs::stamp(path);
        QCOMPARE(LogRewrite::moveToTrash(path, l.stamp, l.parsed.records, {1}).outcome, Outcome::Changed);
        QCOMPARE(LogRewrite::restore(path, l.stamp, l.parsed.records, {2}).outcome, Outcome::Changed);
        QCOMPARE(LogRewrite::purge(path, l.stamp, l.parsed.records, {2}).outcome, Outcome::Changed);
        QCOMPARE(Fs::stamp(path), after);
    }

    void purge_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("plain") << false;
        QTest::newRow("locked") << true;
    }
    // Purging removes exactly the trashed records' lines; the lock header stays.
    void purge()
    {
        QFETCH(bool, locked);
        SharedPlace place(SharedPlace::Local);
        const QString path = place.path() + QStringLiteral("/msglog.txt");
        QCOMPARE(Fs::writeBytes(path, crlf(threeRecords())), 0);
        if (locked)
            QCOMPARE(LogRewrite::lock(path, QString()).outcome, Outcome::Done);
        Loaded l = load(path);
        QCOMPARE(LogRewrite::moveToTrash(path, l.stamp, l.parsed.records, {1}).changedRecords, 1);
        const QByteArray before = Fs::readBytes(path);
        l = load(path);
        // Record 3 is live: only 1 and 2 go.
        const auto r = LogRewrite::purge(path, l.stamp, l.parsed.records, {3, 1, 2});
        QCOMPARE(r.changedRecords, 2);
        QCOMPARE(Fs::readBytes(path + QStringLiteral(".bak")), before);
        QStringList expected = threeRecords().mid(6);
        if (locked)
            expected = QStringList {MessageLog::lockMarker(), QString()} + expected;
        QCOMPARE(locked ? decodedLines(path) : plainLines(path), expected);
    }

    // Lock then unlock gives back the bytes; a plain .bak is scrambled too.
    void lockUnlockRoundTrip()
    {
        SharedPlace place(SharedPlace::Local);
        const QString path = place.path() + QStringLiteral("/msglog.txt");
        const QString bak = path + QStringLiteral(".bak");
        const QByteArray plain = crlf(threeRecords());
        QCOMPARE(Fs::writeBytes(path, plain), 0);
        QCOMPARE(Fs::writeBytes(bak, plain), 0);
        QCOMPARE(LogRewrite::lock(path, QStringLiteral("abc")).outcome, Outcome::Done);
        QVERIFY(MessageLog::isLocked(path));
        QVERIFY(MessageLog::isLocked(bak));
        QVERIFY(!Fs::readBytes(path).contains(Sjis::encode(QStringLiteral("一つ目"))));
        QCOMPARE(LogRewrite::lock(path, QStringLiteral("abc")).outcome, Outcome::AlreadyLocked);
        QCOMPARE(decodedLines(path).mid(2), threeRecords());
        QCOMPARE(LogRewrite::unlock(path, QStringLiteral("abc")).outcome, Outcome::Done);
        QCOMPARE(Fs::readBytes(path), plain);
    }

    void unlockRefused_data()
    {
        QTest::addColumn<bool>("lockFirst");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("outcome");
        QTest::newRow("wrong password") << true << QStringLiteral("xyz") << int(Outcome::WrongPassword);
        QTest::newRow("empty for a set one") << true << QString() << int(Outcome::WrongPassword);
        QTest::newRow("plain log") << false << QStringLiteral("abc") << int(Outcome::NotLocked);
    }
    // A refused unlock leaves bytes and stamp as they were, and no file beside.
    void unlockRefused()
    {
        QFETCH(bool, lockFirst);
        QFETCH(QString, password);
        QFETCH(int, outcome);
        SharedPlace place(SharedPlace::Local);
        const QString path = place.path() + QStringLiteral("/msglog.txt");
        QCOMPARE(Fs::writeBytes(path, crlf(threeRecords())), 0);
        if (lockFirst)
            QCOMPARE(LogRewrite::lock(path, QStringLiteral("abc")).outcome, Outcome::Done);
        const QByteArray before = Fs::readBytes(path);
        const Fs::FileStamp stamp = Fs::stamp(path);
        QCOMPARE(int(LogRewrite::unlock(path, password).outcome), outcome);
        QCOMPARE(Fs::readBytes(path), before);
        QCOMPARE(Fs::stamp(path), stamp);
        QCOMPARE(QDir(place.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
                 QStringList {QStringLiteral("msglog.txt")});
    }
    // Records appended around a lock land plain before it and scrambled after
    // it; unlocking shows both, in order.
    void appendsAroundLock()
    {
        TestUser u;
        u.loadSettings();
        const QString path = u.ctx().settings().text(32);
        QCOMPARE(Fs::writeBytes(path, QByteArray()), 0);
        const auto record = [](const QString& text) {
            return MessageLog::receivedRecord(QStringLiteral("花子"), QStringLiteral("2026/01/02 03:04:05"), text,
                                              QStringLiteral("山田"));
        };
        QVERIFY(MessageLog::appendRecord(u.ctx(), record(QStringLiteral("前")), QStringLiteral("t")));
        QCOMPARE(LogRewrite::lock(path, QStringLiteral("pw")).outcome, Outcome::Done);
        QVERIFY(MessageLog::appendRecord(u.ctx(), record(QStringLiteral("後")), QStringLiteral("t")));
        QVERIFY(!Fs::readBytes(path).contains(Sjis::encode(QStringLiteral("後"))));
        QCOMPARE(LogRewrite::unlock(path, QStringLiteral("pw")).outcome, Outcome::Done);
        const auto parsed = MessageLog::parse(Fs::readBytes(path));
        QCOMPARE(parsed.records.size(), 2);
        QVERIFY(parsed.records.text(0).contains(QStringLiteral("前")));
        QVERIFY(parsed.records.text(1).contains(QStringLiteral("後")));
        QVERIFY(u.box().shown().isEmpty());
    }
};

PORLUNE_TEST_MAIN(TestLogRewrite)

#include "tst_logrewrite.moc"
