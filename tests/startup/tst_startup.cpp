#include "platform/FileOps.h"
#include "platform/InstanceLock.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "startup/SharedRoutines.h"
#include "startup/StartupSequence.h"
#include "support/FileSizeCap.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cerrno>
#include <map>

namespace {

struct Record {
    int number = 0;
    QString value;
};

// The record at a 1-based position of a settings file.
Record recordAt(const QByteArray& file, int position)
{
    const qsizetype pos = qsizetype(position - 1) * 128;
    if (pos + 4 > file.size())
        return {};
    const auto* p = reinterpret_cast<const quint8*>(file.constData() + pos);
    const int len = p[2] | p[3] << 8;
    return {qint16(quint16(p[0] | p[1] << 8)), Sjis::decode(file.constData() + pos + 4, len)};
}

// Every file below folder with its size and time stamp: what "touching nothing" compares.
std::map<QString, std::pair<qint64, qint64>> snapshot(const QString& folder)
{
    std::map<QString, std::pair<qint64, qint64>> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const Fs::FileStamp s = Fs::stamp(path);
        files[path] = {s.size, s.mtimeNs};
    }
    return files;
}

QString ftpLine(int upDown, const QString& server, const QString& board)
{
    return QString::number(upDown) + QStringLiteral(",\"") + server + QStringLiteral("\",\"/pub/b.iki\",\"user\",\"pw\",\"")
        + board + u'"';
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstStartWritesEveryDefault()
    {
        TestUser u;
        u.loadSettings();
        QVERIFY(u.box().shown().isEmpty());
        const QByteArray file = Fs::readBytes(u.ctx().settingsPath());
        QCOMPARE(file.size(), 13824);

        int records = 0;
        for (int pos = 1; pos <= 108; ++pos) {
            const Record r = recordAt(file, pos);
            if (!Settings::definition(pos)) {
                QCOMPARE(r.number, 0); // a gap, should a number ever stay unused
                continue;
            }
            ++records;
            QCOMPARE(r.number, pos);
            QCOMPARE(r.value, u.ctx().iniFile().defaultText(pos));
            QCOMPARE(u.ctx().settings().storedText(pos), r.value);
        }
        QCOMPARE(records, Settings::Count);
        QCOMPARE(records, 108);
        QCOMPARE(recordAt(file, 32).value, QDir(u.folder()).filePath(QStringLiteral("msglog.txt")));
        QCOMPARE(recordAt(file, 33).value, QDir(u.folder()).filePath(QStringLiteral("golog.txt")));
        QCOMPARE(recordAt(file, 81).value, QDir(u.folder()).filePath(QStringLiteral("ftpset.txt")));

        const Settings& s = u.ctx().settings();
        QCOMPARE(s.intValue(1), 7400);
        QCOMPARE(s.realValue(5), 285.0);
        QCOMPARE(s.text(58), QStringLiteral("席にいます"));
        QCOMPARE(s.text(73), QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(s.intValue(69), -2147483643);
        QCOMPARE(s.intValue(96), 16711680);
        for (int board = 1; board <= 20; ++board) {
            QCOMPARE(s.boardDigit(23, board), 1);
            QVERIFY(!s.boardFlag(24, board));
        }
    }

    void recordsLoadByTheirNumberAndMissingOnesAreAdded()
    {
        TestUser u;
        // Setting 5 stored at position 9, setting 26 at its own place; nothing else.
        QByteArray file(13 * 128, '\0');
        file.replace(8 * 128, 128, IniFile::encodeRecord(5, "123"));
        file.replace(25 * 128, 128, IniFile::encodeRecord(26, Sjis::encode(QStringLiteral("  山田太郎  "))));
        file.truncate(26 * 128);
        QCOMPARE(Fs::writeBytes(u.ctx().settingsPath(), file), 0);

        u.loadSettings();
        QCOMPARE(u.ctx().settings().realValue(5), 123.0);
        QCOMPARE(u.ctx().settings().text(26), QStringLiteral("山田太郎"));
        QCOMPARE(u.ctx().settings().realValue(9), 885.0);
        const QByteArray after = Fs::readBytes(u.ctx().settingsPath());
        QCOMPARE(after.size(), 13824);
        QCOMPARE(recordAt(after, 9).number, 9);
        QCOMPARE(recordAt(after, 5).value, QStringLiteral("123"));

        // The value survives the next start although its old record was reused.
        TestUser again(u.folder());
        again.loadSettings();
        QCOMPARE(again.ctx().settings().realValue(5), 123.0);
        QCOMPARE(Fs::readBytes(u.ctx().settingsPath()), after);
    }

    void aChangeIsNotUndoneByAnOlderCopyElsewhere_data()
    {
        QTest::addColumn<int>("stalePosition");
        QTest::newRow("over a setting of our own") << 77;
        QTest::newRow("past the last setting") << 110;
        QTest::newRow("before its own position") << 3;
    }

    void aChangeIsNotUndoneByAnOlderCopyElsewhere()
    {
        QFETCH(int, stalePosition);
        TestUser u;
        u.loadSettings();
        // An older record of setting 5 left at another position, then a change
        // written where every write goes.
        QByteArray file = Fs::readBytes(u.ctx().settingsPath());
        file.resize(qMax<qsizetype>(file.size(), stalePosition * 128), '\0');
        file.replace((stalePosition - 1) * 128, 128, IniFile::encodeRecord(5, "123"));
        QCOMPARE(Fs::writeBytes(u.ctx().settingsPath(), file), 0);
        QVERIFY(u.ctx().iniFile().Inifile_Write(5, QStringLiteral("500")));

        for (int start = 0; start < 2; ++start) {
            TestUser again(u.folder());
            again.loadSettings();
            QCOMPARE(again.ctx().settings().realValue(5), 500.0);
            QCOMPARE(recordAt(Fs::readBytes(u.ctx().settingsPath()), 5).value, QStringLiteral("500"));
        }
    }

    void valuesRoundTripThroughTheFile_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("held");
        QTest::newRow("124 bytes") << 26 << QString(62, QChar(u'漢')) << QString(62, QChar(u'漢'));
        QTest::newRow("minutes held as seconds") << 82 << QStringLiteral("5") << QStringLiteral("300");
        QTest::newRow("inactivity minutes") << 104 << QStringLiteral("12") << QStringLiteral("720");
        QTest::newRow("mail place keeps blanks") << 29 << QStringLiteral(" //srv/mail ") << QStringLiteral(" //srv/mail ");
        QTest::newRow("text trimmed") << 58 << QStringLiteral(" 外出 ") << QStringLiteral("外出");
        QTest::newRow("full-width spaces kept") << 58 << QStringLiteral("\u3000外出\u3000") << QStringLiteral("\u3000外出\u3000");
        QTest::newRow("only half-width blanks trimmed") << 108 << QStringLiteral("  \u3000未定\t ") << QStringLiteral("\u3000未定\t");
        QTest::newRow("empty text") << 60 << QString() << QString();
        QTest::newRow("negative colour") << 70 << QStringLiteral("-2147483640") << QStringLiteral("-2147483640");
        QTest::newRow("real") << 74 << QStringLiteral("10.5") << QStringLiteral("10.5");
        QTest::newRow("board flags") << 24 << QStringLiteral("21211111111111111112") << QStringLiteral("21211111111111111112");
    }

    void valuesRoundTripThroughTheFile()
    {
        QFETCH(int, number);
        QFETCH(QString, stored);
        QFETCH(QString, held);
        TestUser u;
        u.loadSettings();
        QVERIFY(u.ctx().iniFile().Inifile_Write(number, stored));
        TestUser again(u.folder());
        again.loadSettings();
        const Settings& s = again.ctx().settings();
        const SettingDef* d = Settings::definition(number);
        switch (d->type) {
        case SettingType::R4: QCOMPARE(QString::number(s.realValue(number)), held); break;
        case SettingType::T:
        case SettingType::TRaw:
        case SettingType::F20: QCOMPARE(s.text(number), held); break;
        default: QCOMPARE(QString::number(s.intValue(number)), held);
        }
        QCOMPARE(s.storedText(number), d->type == SettingType::T ? held : stored);
        QVERIFY(again.box().shown().isEmpty());
    }

    void longValueIsRefusedAndNothingIsWritten()
    {
        TestUser u;
        u.loadSettings();
        const QByteArray before = Fs::readBytes(u.ctx().settingsPath());
        QVERIFY(!u.ctx().iniFile().Inifile_Write(26, QString(62, QChar(u'漢')) + u'a'));
        QCOMPARE(Fs::readBytes(u.ctx().settingsPath()), before);
        QCOMPARE(u.box().shown().size(), 1);
        const MsgBoxRequest& box = u.box().shown().first();
        QCOMPARE(box.text, QStringLiteral("(Inifile_Write)") + u.ctx().settingsPath()
                               + QStringLiteral(" write error! err code = ") + QString::number(EOVERFLOW));
        QCOMPARE(box.title, QStringLiteral("Porlune"));
        QCOMPARE(box.icon, MsgIcon::None);
        QCOMPARE(box.buttons, MsgButtons::Ok);
    }

    void badNumbersFallBackToTheDefault_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("not a number") << 37 << QByteArray("abc") << QStringLiteral("300");
        QTest::newRow("empty") << 41 << QByteArray() << QStringLiteral("300");
        QTest::newRow("byte out of range") << 45 << QByteArray("300") << QStringLiteral("1");
        QTest::newRow("16-bit out of range") << 1 << QByteArray("40000") << QStringLiteral("7400");
        QTest::newRow("short board flags") << 23 << QByteArray("22") << QStringLiteral("11111111111111111111");
    }

    void badNumbersFallBackToTheDefault()
    {
        QFETCH(int, number);
        QFETCH(QByteArray, stored);
        QFETCH(QString, expected);
        TestUser u;
        u.loadSettings();
        QByteArray file = Fs::readBytes(u.ctx().settingsPath());
        file.replace((number - 1) * 128, 128, IniFile::encodeRecord(number, stored));
        QCOMPARE(Fs::writeBytes(u.ctx().settingsPath(), file), 0);

        TestUser again(u.folder());
        again.loadSettings();
        QCOMPARE(again.ctx().settings().storedText(number), expected);
        QCOMPARE(recordAt(Fs::readBytes(u.ctx().settingsPath()), number).value, expected); // rewritten
    }

    void passwordIsStoredShifted()
    {
        TestUser u;
        u.loadSettings();
        const QString password = QStringLiteral("Pass word~!9");
        const QString shifted = StrShift(QStringLiteral("SET"), password);
        QVERIFY(shifted != password);
        QCOMPARE(shifted.size(), password.size());
        QVERIFY(Sjis::isEncodable(shifted));
        QCOMPARE(StrShift(QStringLiteral("RESET"), shifted), password);
        QCOMPARE(StrShift(QStringLiteral("OTHER"), password), QString());

        u.ctx().settings().setText(25, password);
        QVERIFY(u.ctx().iniFile().writeBack(25));
        QCOMPARE(recordAt(Fs::readBytes(u.ctx().settingsPath()), 25).value, shifted);
        TestUser again(u.folder());
        again.loadSettings();
        QCOMPARE(again.ctx().settings().text(25), password);
    }

    void fullDiskAtFirstStartStillHoldsEveryDefault()
    {
        TestUser u;
        // The file system takes the first 40 records only (a full disk or quota).
        {
            FileSizeCap cap(40 * 128);
            QVERIFY(cap.active());
            u.loadSettings();
        }

        QCOMPARE(u.box().texts(), QStringList {QStringLiteral("(Inifile_Write)") + u.ctx().settingsPath()
                                               + QStringLiteral(" write error! err code = ") + QString::number(EFBIG)});
        QCOMPARE(Fs::length(u.ctx().settingsPath()), 40 * 128);
        for (const SettingDef& d : Settings::definitions())
            QCOMPARE(u.ctx().settings().storedText(d.number), u.ctx().iniFile().defaultText(d.number));
    }

    void unopenableFileLeavesEverySettingEmpty()
    {
        TestUser u;
        QVERIFY(QDir(u.folder()).mkdir(QStringLiteral("Porlune.INI"))); // a folder in its place
        QVERIFY(!u.ctx().iniFile().Inifile_Read());
        QCOMPARE(u.box().texts(), QStringList {QStringLiteral("(Inifile_Read)") + u.ctx().settingsPath()
                                               + QStringLiteral(" open error! err code = ") + QString::number(EISDIR)});
        QCOMPARE(u.ctx().settings().intValue(1), 0);
        QCOMPARE(u.ctx().settings().text(58), QString());
        QVERIFY(!u.ctx().iniFile().Inifile_Write(1, QStringLiteral("1")));
        QVERIFY(u.box().texts().last().contains(QStringLiteral("(Inifile_Write)")));
        QVERIFY(u.box().texts().last().contains(QStringLiteral(" open error! err code = ")));
    }
};

class TestSharedRoutines : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileExists()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("a.txt"));
        Fs::writeBytes(file, "x");
        QCOMPARE(FileExists(file), -1);
        QCOMPARE(FileExists(dir.path()), 0);
        QCOMPARE(FileExists(QString()), 0);
        QCOMPARE(FileExists(dir.filePath(QStringLiteral("missing.txt"))), 0);
        QCOMPARE(FileExists(dir.filePath(QStringLiteral("none/a.txt"))), 0);
    }

    void dateAndTimeTexts()
    {
        FixedClock clock(QDateTime(QDate(2006, 6, 14), QTime(9, 5, 7)));
        QCOMPARE(DateTimeText(clock, 0), QStringLiteral("20060614090507"));
        QCOMPARE(DateTimeText(clock, 2), QStringLiteral("20060614090507"));
        QCOMPARE(DateTimeText(clock, 1), QStringLiteral("2006/06/14 09:05:07"));
        QCOMPARE(SetTimeText(clock), QStringLiteral("06/14 09:05"));
        clock.set(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)));
        QCOMPARE(SetTimeText(clock), QStringLiteral("12/31 23:59"));
    }

    void lastPos_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("pos");
        QTest::newRow("windows path") << QStringLiteral("C:\\a\\b.txt") << QStringLiteral("\\") << 5;
        QTest::newRow("no separator") << QStringLiteral("b.txt") << QStringLiteral("\\") << 999;
        QTest::newRow("slash path") << QStringLiteral("/srv/mail/Taro.001") << QStringLiteral("/") << 10;
        QTest::newRow("at start") << QStringLiteral("/x") << QStringLiteral("/") << 1;
        QTest::newRow("empty text") << QString() << QStringLiteral("/") << 999;
    }

    void lastPos()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(int, pos);
        QCOMPARE(LastPos(text, pattern), pos);
    }
};

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstStartPreparesTheProgramFolder()
    {
        TestUser u;
        StartupSequence s(u.folder(), Services {u.box(), u.dialogs(), u.clock()});
        QCOMPARE(s.run(), StartupSequence::Outcome::ShowMain);
        QVERIFY(u.box().shown().isEmpty());
        QCOMPARE(Fs::length(s.context().settingsPath()), 13824);
        for (const char* name : {"TMP", "TIM", "RCV"})
            QVERIFY(Fs::isDir(QDir(u.folder()).filePath(QString::fromLatin1(name))));
        QCOMPARE(s.context().settings().intValue(37), 300);
        QVERIFY(s.context().ftpList()[0].serverName.isEmpty());
    }

    void secondCopyOnTheSameFolderIsRefusedAndTouchesNothing()
    {
        TestUser first, other;
        StartupSequence a(first.folder(), Services {first.box(), first.dialogs(), first.clock()});
        QCOMPARE(a.run(), StartupSequence::Outcome::ShowMain);
        const auto before = snapshot(first.folder());

        RecordingMessageBox box;
        StartupSequence b(first.folder(), Services {box, first.dialogs(), first.clock()});
        QCOMPARE(b.run(), StartupSequence::Outcome::AlreadyRunning);
        QCOMPARE(box.shown().size(), 1);
        QCOMPARE(box.shown()[0].text, QStringLiteral("既に起動されています"));
        QCOMPARE(box.shown()[0].title, QStringLiteral("Porlune"));
        QCOMPARE(box.shown()[0].icon, MsgIcon::Stop);
        QCOMPARE(box.shown()[0].buttons, MsgButtons::Ok);
        QVERIFY(snapshot(first.folder()) == before);

        // Another user's folder on the same machine starts beside it.
        StartupSequence c(other.folder(), Services {other.box(), other.dialogs(), other.clock()});
        QCOMPARE(c.run(), StartupSequence::Outcome::ShowMain);
    }

    void folderItsOwnSettingsCannotHoldIsRefused_data()
    {
        QTest::addColumn<QString>("part");      // added to the folder until it is long enough
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("because");
        QTest::newRow("too long") << QStringLiteral("/長いフォルダ") << 114 << QStringLiteral("長すぎる");
        QTest::newRow("a letter Shift-JIS lacks") << QStringLiteral("/café") << 1 << QStringLiteral("Shift-JIS");
        QTest::newRow("wave dash typed on Linux") << QStringLiteral("/本社〜支社") << 1 << QStringLiteral("Shift-JIS");
    }

    void folderItsOwnSettingsCannotHoldIsRefused()
    {
        QFETCH(QString, part);
        QFETCH(int, length);
        QFETCH(QString, because);
        QTemporaryDir base;
        QString folder = base.path();
        while (Sjis::encodedLength(folder) < length)
            folder += part;
        if (!folder.endsWith(part))
            folder += part;
        QVERIFY(QDir().mkpath(folder));
        RecordingMessageBox box;
        QueuedFileDialog dialogs;
        FixedClock clock;
        StartupSequence s(folder, Services {box, dialogs, clock});
        QCOMPARE(s.run(), StartupSequence::Outcome::FolderRefused);
        QCOMPARE(box.shown().size(), 1);
        QVERIFY(box.shown()[0].text.contains(folder));
        QVERIFY(box.shown()[0].text.contains(because));
        QVERIFY(!Fs::exists(QDir(folder).filePath(QStringLiteral("Porlune.INI"))));
    }

    void ftpList_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<int>("entries");
        QStringList hundred;
        for (int k = 0; k < 100; ++k)
            hundred.append(ftpLine(k % 2, QStringLiteral("ftp%1.example.jp").arg(k), QStringLiteral("/srv/b%1.iki").arg(k)));
        QTest::newRow("absent") << QStringList() << true << 0;
        QTest::newRow("two entries, Japanese path")
            << QStringList {ftpLine(0, QStringLiteral("ftp.example.jp"), QStringLiteral("/共有/総務.iki")),
                            ftpLine(1, QStringLiteral("ftp2"), QStringLiteral("/b.iki")), QString()}
            << true << 2;
        QTest::newRow("exactly 100") << hundred << true << 100;
        QTest::newRow("101 entries") << (QStringList(hundred) << hundred.first()) << false << 0;
        QTest::newRow("direction not a number") << QStringList {QStringLiteral("x,\"a\",\"b\",\"c\",\"d\",\"e\"")} << false << 0;
        QTest::newRow("direction above 255") << QStringList {QStringLiteral("256,\"a\",\"b\",\"c\",\"d\",\"e\"")} << false << 0;
        QTest::newRow("five fields") << QStringList {QStringLiteral("0,\"a\",\"b\",\"c\",\"d\"")} << false << 0;
        QTest::newRow("cut short") << QStringList {QStringLiteral("0,\"a\",\"b\",\"c\",\"d\",\"e")} << false << 0;
    }

    void ftpList()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, starts);
        QFETCH(int, entries);
        TestUser u;
        if (!lines.isEmpty())
            QCOMPARE(TextFile::writeLines(QDir(u.folder()).filePath(QStringLiteral("ftpset.txt")), lines), 0);
        StartupSequence s(u.folder(), Services {u.box(), u.dialogs(), u.clock()});
        const auto outcome = s.run();
        if (!starts) {
            QCOMPARE(outcome, StartupSequence::Outcome::FtpListMalformed);
            QCOMPARE(u.box().shown().size(), 1);
            QCOMPARE(u.box().shown()[0].text, QStringLiteral("FTPリストに異常があります"));
            QCOMPARE(u.box().shown()[0].title, QStringLiteral("FTPリストアクセスエラー"));
            QCOMPARE(u.box().shown()[0].icon, MsgIcon::Stop);
            return;
        }
        QCOMPARE(outcome, StartupSequence::Outcome::ShowMain);
        const FtpListTable& t = s.context().ftpList();
        int filled = 0;
        for (const FtpListEntry& e : t)
            filled += e.serverName.isEmpty() ? 0 : 1;
        QCOMPARE(filled, entries);
        if (entries >= 2) {
            QCOMPARE(t[1].upDown, 1);
            QCOMPARE(t[1].serverPath, QStringLiteral("/pub/b.iki"));
            QCOMPARE(t[1].userName, QStringLiteral("user"));
            QCOMPARE(t[1].password, QStringLiteral("pw"));
            QCOMPARE(formatFtpListLine(t[0]), lines[0]);
        }
    }
};

// The real program, copied into program folders of its own as users run it.
class TestProgram : public QObject
{
    Q_OBJECT

    QString install(const QString& folder)
    {
        const QString exe = QDir(folder).filePath(QStringLiteral("Porlune"));
        if (!QFile::copy(QStringLiteral(PORLUNE_BINARY), exe))
            return {};
        QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return exe;
    }

    static void start(QProcess& p, const QString& exe)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(QDir::tempPath()); // the folder comes from the executable, not from here
        p.start(exe, {});
    }

    static void stop(QProcess& p)
    {
        p.kill();
        p.waitForFinished(5000);
    }

private Q_SLOTS:
    void copiesInTwoFoldersRunSideBySide_andASecondCopyIsRefused()
    {
        QTemporaryDir a, b, c;
        const QString exeA = install(a.path());
        const QString exeB = install(b.path());
        QVERIFY(!exeA.isEmpty() && !exeB.isEmpty());

        QProcess pa, pb;
        start(pa, exeA);
        start(pb, exeB);
        QVERIFY(pa.waitForStarted() && pb.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Fs::isDir(QDir(a.path()).filePath(QStringLiteral("RCV")))
                                     && Fs::isDir(QDir(b.path()).filePath(QStringLiteral("RCV"))),
                                 15000);
        QCOMPARE(Fs::length(QDir(a.path()).filePath(QStringLiteral("Porlune.INI"))), 13824);
        QCOMPARE(Fs::length(QDir(b.path()).filePath(QStringLiteral("Porlune.INI"))), 13824);

        // A second copy on A's folder stops at its refusal, having touched nothing;
        // so does a link to A's program, whose folder is A's once links are resolved.
        const auto before = snapshot(a.path());
        QVERIFY(QFile::link(exeA, QDir(c.path()).filePath(QStringLiteral("Porlune"))));
        QProcess second, linked;
        start(second, exeA);
        start(linked, QDir(c.path()).filePath(QStringLiteral("Porlune")));
        QVERIFY(second.waitForStarted() && linked.waitForStarted());
        QTest::qWait(2000);
        QVERIFY(snapshot(a.path()) == before);
        QCOMPARE(QDir(c.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList {QStringLiteral("Porlune")});
        QCOMPARE(pa.state(), QProcess::Running);
        QCOMPARE(pb.state(), QProcess::Running);
        stop(second);
        stop(linked);
        stop(pa);
        stop(pb);
    }

    // The FTP transfers' libraries (libcurl and the TLS and directory
    // libraries behind it) cost more time to load than the rest of the start:
    // a started copy, its main window loaded, has not mapped them.
    void aStartedCopyHasNotLoadedTheTransferLibraries()
    {
        QTemporaryDir a;
        const QString exe = install(a.path());
        QVERIFY(!exe.isEmpty());
        QProcess p;
        start(p, exe);
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Fs::isDir(QDir(a.path()).filePath(QStringLiteral("RCV"))), 15000);
        QTest::qWait(1500); // the main window's load and the first timer ticks
        QCOMPARE(p.state(), QProcess::Running);
        QFile maps(QStringLiteral("/proc/%1/maps").arg(p.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY(mapped.contains("libQt6Widgets")); // the list is the program's
        QVERIFY2(!mapped.contains("libcurl"), "libcurl is loaded at start");
        stop(p);
    }
};

PORLUNE_TEST_MAIN(TestSettingsFile, TestSharedRoutines, TestStartup, TestProgram)

#include "tst_startup.moc"
