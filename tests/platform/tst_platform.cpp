#include "platform/FileOps.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBox.h"
#include "platform/QuotedCsv.h"
#include "platform/SharedFile.h"
#include "platform/SjisTables.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "support/TestMain.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <memory>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray hex(const char* spaced)
{
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QVERIFY(Fs::writeBytes(path, bytes) == 0);
}

// Append-only folder: names can be added, none removed (root, ext4).
bool setAppendOnly(const QString& folder, bool on)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? flags | FS_APPEND_FL : flags & ~FS_APPEND_FL;
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

} // namespace

class TestTextCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void encodesAsCodePage932_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QStringLiteral("Taro,1") << QByteArray("Taro,1");
        QTest::newRow("hiragana") << QStringLiteral("あ") << hex("82 a0");
        QTest::newRow("kanji") << QStringLiteral("宛先") << hex("88 b6 90 e6");
        QTest::newRow("half-width katakana") << QStringLiteral("ﾃﾞｰﾀ") << hex("c3 de b0 c0");
        QTest::newRow("yen and backslash") << QStringLiteral("\\") << hex("5c");
        // JIS forms typed on Linux land on the code-page-932 forms.
        QTest::newRow("wave dash") << QStringLiteral("\u301C") << hex("81 60");
        QTest::newRow("double vertical line") << QStringLiteral("\u2016") << hex("81 61");
        QTest::newRow("minus sign") << QStringLiteral("\u2212") << hex("81 7c");
        QTest::newRow("cent") << QStringLiteral("\u00A2") << hex("81 91");
        QTest::newRow("pound") << QStringLiteral("\u00A3") << hex("81 92");
        QTest::newRow("not") << QStringLiteral("\u00AC") << hex("81 ca");
        QTest::newRow("fullwidth tilde") << QStringLiteral("\uFF5E") << hex("81 60");
        // Duplicated characters take the form Windows writes.
        QTest::newRow("because (row 2, not NEC row 13)") << QStringLiteral("∵") << hex("81 e6");
        QTest::newRow("circled one (NEC row 13)") << QStringLiteral("①") << hex("87 40");
        QTest::newRow("small roman one (IBM extension)") << QStringLiteral("ⅰ") << hex("fa 40");
        QTest::newRow("IBM kanji") << QStringLiteral("髙") << hex("fb fc");
        // Outside the code page: one "?" per character, never a substitute pair.
        QTest::newRow("emoji") << QStringLiteral("a\U0001F600b") << QByteArray("a?b");
        QTest::newRow("hangul") << QStringLiteral("한") << QByteArray("?");
        QTest::newRow("accented latin") << QStringLiteral("é") << QByteArray("?");
    }

    void encodesAsCodePage932()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Sjis::encode(text).toHex(' '), bytes.toHex(' '));
        QCOMPARE(Sjis::encodedLength(text), bytes.size());
    }

    void roundTripsJapaneseText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("mixed") << QStringLiteral("総務部 行き先：会議室Ａ（１０：３０～）");
        QTest::newRow("half-width") << QStringLiteral("ﾃﾞｰﾀ取得日時 ｱｲｳｴｵ｡｢｣､･");
        QTest::newRow("symbols") << QStringLiteral("～∥－￠￡￢―①②ⅰⅱ№℡㈱");
        QTest::newRow("control and blanks") << QStringLiteral("a\tb\r\nc\u3000d");
    }

    void roundTripsJapaneseText()
    {
        QFETCH(QString, text);
        QCOMPARE(Sjis::decode(Sjis::encode(text)), text);
        QVERIFY(Sjis::isEncodable(text));
    }

    void jisFormsReadBackAsTheirCodePageForms()
    {
        const QString typed = QStringLiteral("10\u301C12時 \u2212 \u00A2\u00A3\u00AC \u2016");
        const QString stored = Sjis::decode(Sjis::encode(typed));
        QCOMPARE(stored, QStringLiteral("10\uFF5E12時 \uFF0D \uFFE0\uFFE1\uFFE2 \u2225"));
        QVERIFY(!stored.contains(u'?'));
        QVERIFY(!Sjis::isEncodable(QStringLiteral("한")));
    }

    void decodesBrokenBytesWithoutLosingTheRest()
    {
        // A lone lead byte at the end (a line cut short) and an undefined pair.
        const QString s = Sjis::decode(hex("82 a0 41 82"));
        QCOMPARE(s.left(2), QStringLiteral("あA"));
        QCOMPARE(s.size(), 3);
        QCOMPARE(Sjis::decode(hex("85 40 41")).right(1), QStringLiteral("A"));
    }

    // Bytes a damaged or foreign-made file may hold: each reads as the
    // character Windows gives it and is written back as the same byte, never
    // as a control character.
    void unusualSingleBytesSurviveARewrite_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("80") << hex("41 80 42") << QStringLiteral("A\u0080B");
        QTest::newRow("a0") << hex("41 a0 42") << QStringLiteral("A\uF8F0B");
        QTest::newRow("fd") << hex("41 fd 42") << QStringLiteral("A\uF8F1B");
        QTest::newRow("fe") << hex("fe 2c") << QStringLiteral("\uF8F2,");
        QTest::newRow("ff at the end") << hex("82 a0 ff") << QStringLiteral("あ\uF8F3");
        QTest::newRow("half-width katakana") << hex("a1 b1 df") << QStringLiteral("｡ｱﾟ");
        QTest::newRow("user-defined pair") << hex("f0 40 f9 fc") << QStringLiteral("\uE000\uE757");
    }

    void unusualSingleBytesSurviveARewrite()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Sjis::decode(bytes), text);
        QCOMPARE(Sjis::encode(text).toHex(' '), bytes.toHex(' '));
        QVERIFY(!Sjis::decode(bytes).contains(u'\x1A'));
    }

    // The tables compiled in are the platform converter's, every byte, byte
    // pair and character of them: a converter that changed (or a data file
    // edited by hand) shows here; porlune-sjistables writes the file anew.
    void compiledTablesAreTheConverters()
    {
        const SjisTables data = SjisTables::fromData();
        const SjisTables asked = SjisTables::fromConverter();
        QCOMPARE(data.single, asked.single);
        for (std::size_t i = 0; i < data.dbl.size(); ++i)
            QVERIFY2(data.dbl[i] == asked.dbl[i], qPrintable(QString::number(i)));
        for (std::size_t ch = 0; ch < data.enc.size(); ++ch)
            QVERIFY2(data.enc[ch] == asked.enc[ch], qPrintable(QString::number(ch, 16)));
        // Written afresh, the data file is the one compiled in.
        QFile compiled(QStringLiteral(PORLUNE_SOURCE_DIR "/src/platform/SjisTableData.inc"));
        QVERIFY(compiled.open(QIODevice::ReadOnly));
        QCOMPARE(asked.dataSource(), compiled.readAll());
    }

    void textFilesUseCrLf()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("list.txt"));
        QCOMPARE(TextFile::writeLines(path, {QStringLiteral("営業部"), QString(), QStringLiteral("b")}), 0);
        QCOMPARE(Fs::readBytes(path), Sjis::encode(QStringLiteral("営業部")) + "\r\n\r\nb\r\n");

        const TextReadResult r = TextFile::readLines(path);
        QVERIFY(r.ok());
        QCOMPARE(r.lines, QStringList({QStringLiteral("営業部"), QString(), QStringLiteral("b")}));
        QVERIFY(r.endsWithNewline);

        bool endsWithNewline = true;
        QCOMPARE(TextFile::splitLines(QStringLiteral("a\nb\r\nc"), &endsWithNewline),
                 QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        QVERIFY(!endsWithNewline);

        QCOMPARE(TextFile::appendLines(path, {QStringLiteral("c")}), 0);
        QCOMPARE(TextFile::readLines(path).lines.size(), 4);
        QCOMPARE(TextFile::readLines(dir.filePath(QStringLiteral("missing"))).error, ENOENT);
    }
};

class TestQuotedCsv : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesFieldByField_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<bool>("complete");
        QTest::newRow("board list line")
            << QStringLiteral("1,\"総務部\",\"S:\\share\\soumu.iki\"")
            << QStringList {QStringLiteral("1"), QStringLiteral("総務部"), QStringLiteral("S:\\share\\soumu.iki")} << true;
        QTest::newRow("comma inside quotes")
            << QStringLiteral("\"a\",\"b,c\",\"d\"") << QStringList {QStringLiteral("a"), QStringLiteral("b,c"), QStringLiteral("d")} << true;
        QTest::newRow("blanks around fields")
            << QStringLiteral("  \"x\" , y  ,\"z \"") << QStringList {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z ")} << true;
        QTest::newRow("text after closing quote dropped")
            << QStringLiteral("\"a\"junk,\"b\"") << QStringList {QStringLiteral("a"), QStringLiteral("b")} << true;
        QTest::newRow("empty fields")
            << QStringLiteral(",,\"\"") << QStringList {QString(), QString(), QString()} << true;
        QTest::newRow("empty line") << QString() << QStringList {QString()} << true;
        QTest::newRow("cut short inside quotes")
            << QStringLiteral("\"Taro\",\"会議") << QStringList {QStringLiteral("Taro"), QStringLiteral("会議")} << false;
    }

    void parsesFieldByField()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QFETCH(bool, complete);
        const QuotedCsv::ParsedLine p = QuotedCsv::parseLine(line);
        QCOMPARE(p.fields, fields);
        QCOMPARE(p.complete, complete);
    }

    void writesNumbersBareAndTextQuoted()
    {
        using namespace QuotedCsv;
        QCOMPARE(formatLine({number(1), text(QStringLiteral("総務部")), text(QStringLiteral("a,b"))}),
                 QStringLiteral("1,\"総務部\",\"a,b\""));
        QCOMPARE(formatTextLine({QStringLiteral("Taro"), QString(), QStringLiteral("1")}),
                 QStringLiteral("\"Taro\",\"\",\"1\""));
    }

    void writtenFieldsReadBackUnchanged()
    {
        // A quote or a line break would cut the record; they are replaced, and
        // every field still reads back in place.
        const QStringList fields {QStringLiteral("名前"), QStringLiteral("会議, 3F"), QStringLiteral("say \"hi\""),
                                  QStringLiteral("two\r\nlines"), QString()};
        const QuotedCsv::ParsedLine p = QuotedCsv::parseLine(QuotedCsv::formatTextLine(fields));
        QVERIFY(p.complete);
        QCOMPARE(p.fields.size(), fields.size());
        QCOMPARE(p.fields[0], fields[0]);
        QCOMPARE(p.fields[1], fields[1]);
        QCOMPARE(p.fields[2], QStringLiteral("say \u201Dhi\u201D"));
        QCOMPARE(p.fields[3], QStringLiteral("two  lines"));
    }
};

class TestFileOps : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readOnlyAttribute()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("soumu.iki"));
        QCOMPARE(Fs::attributes(path), -1);
        writeFile(path, "x");
        QCOMPARE(Fs::attributes(path), 32);
        QVERIFY(!Fs::isReadOnly(path));
        QCOMPARE(Fs::setAttributes(path, 1), 0);
        QCOMPARE(Fs::attributes(path), 33);
        QVERIFY(Fs::isReadOnly(path));
        QCOMPARE(Fs::setReadOnly(path, false), 0);
        QVERIFY(!Fs::isReadOnly(path));
        QCOMPARE(Fs::attributes(dir.path()), 16);
    }

    void renameNeverReplacesAndCrossesFolders()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("inbox"));
        const QString a = dir.filePath(QStringLiteral("Taro.001"));
        const QString b = dir.filePath(QStringLiteral("inbox/Taro.1"));
        writeFile(a, "one");
        writeFile(b, "two");
        QCOMPARE(Fs::rename(a, b), EEXIST);
        QCOMPARE(Fs::readBytes(a), QByteArray("one"));
        QCOMPARE(Fs::readBytes(b), QByteArray("two"));
        const QString c = dir.filePath(QStringLiteral("inbox/Taro.2"));
        QCOMPARE(Fs::rename(a, c), 0);
        QVERIFY(!Fs::exists(a));
        QCOMPARE(Fs::readBytes(c), QByteArray("one"));
        QCOMPARE(Fs::rename(a, c), ENOENT);
    }

    // The source cannot be given up (here: its folder lets nothing be
    // removed, as a share does with a file held open elsewhere). The rename
    // fails and the file is still under its old name only.
    void renameThatCannotGiveUpTheSourceChangesNothing_data()
    {
        QTest::addColumn<bool>("otherFileSystem");
        QTest::newRow("other folder") << false;
        QTest::newRow("other file system") << true;
    }

    void renameThatCannotGiveUpTheSourceChangesNothing()
    {
        QFETCH(bool, otherFileSystem);
        QTemporaryDir dir;
        const QString held = dir.filePath(QStringLiteral("held"));
        QVERIFY(QDir().mkpath(held));
        const QString from = held + QStringLiteral("/Taro.001");
        writeFile(from, "message");
        std::unique_ptr<QTemporaryDir> otherDir;
        if (otherFileSystem) {
            otherDir = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/porlune-XXXXXX"));
            struct stat a, b;
            if (!otherDir->isValid() || ::stat(QFile::encodeName(dir.path()).constData(), &a) != 0
                || ::stat(QFile::encodeName(otherDir->path()).constData(), &b) != 0 || a.st_dev == b.st_dev)
                QSKIP("no second file system at /dev/shm");
        }
        const QString to = otherFileSystem ? otherDir->filePath(QStringLiteral("Taro.1"))
                                           : dir.filePath(QStringLiteral("Taro.1"));
        if (!setAppendOnly(held, true))
            QSKIP("the file system or user cannot make a folder append-only");
        const auto undo = qScopeGuard([&] { setAppendOnly(held, false); });

        QVERIFY(Fs::rename(from, to) != 0);
        QCOMPARE(Fs::readBytes(from), QByteArray("message"));
        QVERIFY(!Fs::exists(to));
    }

    // A pipe under a name the program reads (a listed message name, a board
    // path) is refused at once; it has no writer, so reading it would never end.
    void readingAPipeIsRefusedWithoutWaiting()
    {
        QTemporaryDir dir;
        const QString pipe = dir.filePath(QStringLiteral("Taro.001"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0666), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::alarm(60); // the watchdog ends a child that hangs
            int err = 0;
            const QByteArray bytes = Fs::readBytes(pipe, &err);
            ::_exit(err != 0 && bytes.isEmpty() ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status), "reading the pipe never ended");
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void copyReplacesAndKeepsTheTimeStamp()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a"));
        const QString b = dir.filePath(QStringLiteral("a.bak"));
        writeFile(a, "new content");
        writeFile(b, "old");
        QCOMPARE(Fs::copy(a, b), 0);
        QCOMPARE(Fs::readBytes(b), QByteArray("new content"));
        QCOMPARE(Fs::modTimeText(b), Fs::modTimeText(a));
        QCOMPARE(Fs::stamp(b).mtimeNs, Fs::stamp(a).mtimeNs);
        QCOMPARE(Fs::copy(dir.filePath(QStringLiteral("missing")), b), ENOENT);
        QCOMPARE(Fs::readBytes(b), QByteArray("new content"));
    }

    void listsByPatternInNameOrder()
    {
        QTemporaryDir dir;
        for (const char* name : {"Taro.010", "Taro.002", "Taro.001", "Hanako.001", "Taro.1", "soumu.iki"})
            writeFile(dir.filePath(QString::fromLatin1(name)), "x");
        QDir(dir.path()).mkdir(QStringLiteral("Taro.999")); // folders are not files
        QCOMPARE(Fs::list(dir.path(), QStringLiteral("Taro.???")),
                 QStringList({QStringLiteral("Taro.001"), QStringLiteral("Taro.002"), QStringLiteral("Taro.010")}));
        QCOMPARE(Fs::list(dir.path(), QStringLiteral("*.iki")), QStringList {QStringLiteral("soumu.iki")});
        QCOMPARE(Fs::list(dir.filePath(QStringLiteral("none")), QStringLiteral("*")), QStringList {});
    }

    void stampSeesARewriteWithinTheSameSecond()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("b.iki"));
        writeFile(path, "\"Taro\",\"A\"");
        const Fs::FileStamp before = Fs::stamp(path);
        QCOMPARE(SharedFile::replace(path, "\"Taro\",\"B\"", false), 0); // same size
        const Fs::FileStamp after = Fs::stamp(path);
        QVERIFY(after.exists);
        QVERIFY(!(before == after));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                    .match(Fs::modTimeText(path)).hasMatch());
        QVERIFY(!Fs::stamp(dir.filePath(QStringLiteral("x"))).exists);
    }

    void sharedReplaceKeepsTheBackupAndLeavesNoTemporaryFiles()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("b.iki"));
        QCOMPARE(SharedFile::replace(path, "first", true), 0);
        QVERIFY(!Fs::exists(path + QStringLiteral(".bak"))); // nothing to keep yet
        QCOMPARE(SharedFile::replace(path, "second", true), 0);
        QCOMPARE(Fs::readBytes(path), QByteArray("second"));
        QCOMPARE(Fs::readBytes(path + QStringLiteral(".bak")), QByteArray("first"));
        writeFile(path, QByteArray()); // an emptied file does not overwrite the backup
        QCOMPARE(SharedFile::replace(path, "third", true), 0);
        QCOMPARE(Fs::readBytes(path + QStringLiteral(".bak")), QByteArray("first"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 QStringList({QStringLiteral("b.iki"), QStringLiteral("b.iki.bak")}));
    }

    void sharedCreateNewNeverOverwrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Taro.001"));
        QCOMPARE(SharedFile::createNew(path, "mine"), 0);
        QCOMPARE(SharedFile::createNew(path, "theirs"), EEXIST);
        QCOMPARE(Fs::readBytes(path), QByteArray("mine"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("Taro.001")});
    }
};

class TestInstanceLock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneCopyPerFolder()
    {
        QTemporaryDir a, b;
        InstanceLock first(a.path());
        QVERIFY(first.tryAcquire());
        InstanceLock second(a.path());
        QVERIFY(!second.tryAcquire());
        InstanceLock other(b.path()); // another user's folder on the same machine
        QVERIFY(other.tryAcquire());
        first.release();
        QVERIFY(second.tryAcquire());
    }

    // Another build's lock through QLockFile and ours read each other: the
    // same file, the same description of the holder, the same file lock.
    void lockIsTheOneQLockFileKnows()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(InstanceLock::lockFileName());
        {
            InstanceLock ours(dir.path());
            QVERIFY(ours.tryAcquire());
            QLockFile theirs(path);
            theirs.setStaleLockTime(0);
            QVERIFY(!theirs.tryLock(0));
            QCOMPARE(theirs.error(), QLockFile::LockFailedError);
            qint64 pid = 0;
            QString host, app;
            QVERIFY(theirs.getLockInfo(&pid, &host, &app));
            QCOMPARE(pid, QCoreApplication::applicationPid());
            QCOMPARE(host, QSysInfo::machineHostName());
            QCOMPARE(app, QFileInfo(QCoreApplication::applicationFilePath()).fileName());
            QVERIFY(!theirs.removeStaleLockFile()); // the file lock is held
        }
        QVERIFY(!Fs::exists(path)); // given back when the copy ends

        QLockFile theirs(path);
        QVERIFY(theirs.tryLock(0));
        InstanceLock ours(dir.path());
        QVERIFY(!ours.tryAcquire());
        theirs.unlock();
        QVERIFY(ours.tryAcquire());
    }

    void lockOfACrashedCopyIsTakenOver()
    {
        QTemporaryDir dir;
        const pid_t child = ::fork();
        if (child == 0) {
            InstanceLock lock(dir.path());
            ::_exit(lock.tryAcquire() ? 0 : 1); // dies holding the lock
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(Fs::exists(QDir(dir.path()).filePath(InstanceLock::lockFileName())));
        InstanceLock next(dir.path());
        QVERIFY(next.tryAcquire());
    }

    void lockNamingNoHolder()
    {
        // A lock file left empty (a power cut right after the start that made
        // it) is taken over; one emptied under a live holder is not.
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(InstanceLock::lockFileName());
        QCOMPARE(Fs::writeBytes(path, QByteArray()), 0);
        InstanceLock first(dir.path());
        QVERIFY(first.tryAcquire());

        QCOMPARE(Fs::writeBytes(path, QByteArray()), 0);
        InstanceLock second(dir.path());
        QVERIFY(!second.tryAcquire());
        QVERIFY(first.isHeld());
        QVERIFY(Fs::exists(path));
    }

    void lockWrittenOnAnotherMachine_data()
    {
        // What the lock file says of its holder: a process that is alive here,
        // on the machine named by host and identity.
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<QByteArray>("machineId");
        QTest::addColumn<bool>("acquired");
        const QByteArray here = QSysInfo::machineHostName().toUtf8();
        QTest::newRow("another machine") << QByteArray("pc-soumu-07") << QByteArray("0f0e0d0c0b0a09080706050403020100") << true;
        QTest::newRow("another machine, no identity") << QByteArray("pc-soumu-07") << QByteArray() << true;
        QTest::newRow("this machine renamed") << QByteArray("pc-soumu-07") << QSysInfo::machineUniqueId() << false;
        QTest::newRow("this machine") << here << QSysInfo::machineUniqueId() << false;
    }

    void lockWrittenOnAnotherMachine()
    {
        QFETCH(QByteArray, host);
        QFETCH(QByteArray, machineId);
        QFETCH(bool, acquired);
        QTemporaryDir dir;
        QByteArray holder = QByteArray::number(QCoreApplication::applicationPid()) + '\n'
            + QCoreApplication::applicationName().toUtf8() + '\n' + host + '\n';
        if (!machineId.isEmpty())
            holder += machineId + '\n' + QSysInfo::bootUniqueId() + '\n';
        const QString path = QDir(dir.path()).filePath(InstanceLock::lockFileName());
        QCOMPARE(Fs::writeBytes(path, holder), 0);
        InstanceLock lock(dir.path());
        QCOMPARE(lock.tryAcquire(), acquired);
        if (!acquired)
            QCOMPARE(Fs::readBytes(path), holder); // a live holder here is left alone
    }
};

class TestQtMessageBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsTheRequestAndReturnsThePressedButton()
    {
        QtMessageBox service;
        QString seenText, seenTitle;
        QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
        QStringList captions;
        QString defaultCaption;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            seenText = box->text();
            seenTitle = box->windowTitle();
            seenIcon = box->icon();
            for (QAbstractButton* b : box->buttons())
                captions.append(b->text());
            defaultCaption = box->defaultButton()->text();
            box->button(QMessageBox::No)->click();
        });
        const MsgResult r = service.show({QStringLiteral("上書きしますか？"), QStringLiteral("確認"),
                                          MsgIcon::Question, MsgButtons::YesNo, 1, true});
        QCOMPARE(r, MsgResult::No);
        QCOMPARE(seenText, QStringLiteral("上書きしますか？"));
        QCOMPARE(seenTitle, QStringLiteral("確認"));
        QCOMPARE(seenIcon, QMessageBox::Question);
        QCOMPARE(captions.size(), 2);
        QCOMPARE(defaultCaption, QStringLiteral("いいえ(&N)"));
    }

    void defaultAnswerIsTheDefaultButton_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("answer");
        QTest::newRow("ok") << int(MsgButtons::Ok) << 0 << int(MsgResult::Ok);
        QTest::newRow("yes/no, second") << int(MsgButtons::YesNo) << 1 << int(MsgResult::No);
        QTest::newRow("yes/no/cancel, third") << int(MsgButtons::YesNoCancel) << 2 << int(MsgResult::Cancel);
        QTest::newRow("out of range falls to first") << int(MsgButtons::OkCancel) << 5 << int(MsgResult::Ok);
    }

    void defaultAnswerIsTheDefaultButton()
    {
        QFETCH(int, buttons);
        QFETCH(int, defaultButton);
        QFETCH(int, answer);
        MsgBoxRequest r;
        r.buttons = MsgButtons(buttons);
        r.defaultButton = defaultButton;
        QCOMPARE(int(defaultAnswer(r)), answer);
    }
};

PORLUNE_TEST_MAIN(TestTextCodec, TestQuotedCsv, TestFileOps, TestInstanceLock, TestQtMessageBox)

#include "tst_platform.moc"
