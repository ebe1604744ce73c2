#include "MailPlaceTest.h"

#include "messaging/MailDrop.h"
#include "messaging/MailNames.h"
#include "messaging/Mailbox.h"
#include "messaging/PathSplit.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A user's program folder (with "TMP") and a mail place beside it.
struct Place
{
    QTemporaryDir root;
    QString program = Paths::join(root.path(), QStringLiteral("prog"));
    QString mail = Paths::join(root.path(), QStringLiteral("mail"));
    explicit Place(const QString& mailPlace = QString())
    {
        Fs::makeDir(program);
        Fs::makeDir(Paths::join(program, QStringLiteral("TMP")));
        if (mailPlace.isEmpty())
            Fs::makeDir(mail);
        else
            mail = mailPlace;
    }
    QString inProgram(const QString& name) const { return Paths::join(program, name); }
    QString inTmp(const QString& name) const
    {
        return Paths::join(Paths::join(program, QStringLiteral("TMP")), name);
    }
    QString inMail(const QString& name) const { return Paths::join(mail, name); }
    Mailbox box(const QString& own = QStringLiteral("Taro")) const
    {
        return Mailbox(mail, program, own);
    }
};

void put(const QString& path, const QByteArray& bytes = "x")
{
    QCOMPARE(Fs::writeBytes(path, bytes), 0);
}

// Files only, as a fetch sees them.
QStringList names(const QString& folder)
{
    return Fs::list(folder, QStringLiteral("*"));
}

// Everything in folder, claims and temporary files included.
QStringList everything(const QString& folder)
{
    QStringList all = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    all.sort();
    return all;
}

// The immutable flag makes a file that neither moves nor goes away, even for
// root: the nearest thing here to a drop file held open on a Windows share.
bool setImmutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

struct ImmutableGuard
{
    QString path;
    ~ImmutableGuard() { setImmutable(path, false); }
};

int setMtime(const QString& path, const QDateTime& when)
{
    const struct timespec t[2] = { { when.toSecsSinceEpoch(), 0 }, { when.toSecsSinceEpoch(), 0 } };
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), t, 0);
}

} // namespace

void MailPlaceTest::fetchNumbersInboxInOrder()
{
    Place p;
    put(p.inMail("Taro.001"), "one");
    put(p.inMail("Taro.002"), "two");
    put(p.inMail("Taro.010"), "ten");
    const Mailbox::FetchResult r = p.box().fetch();
    QCOMPARE(r.moved,
        (QStringList { p.inProgram("Taro.1"), p.inProgram("Taro.2"), p.inProgram("Taro.3") }));
    QVERIFY(r.left.isEmpty());
    QCOMPARE(names(p.mail), QStringList());
    QCOMPARE(Fs::readBytes(p.inProgram("Taro.1")), QByteArray("one"));
    QCOMPARE(Fs::readBytes(p.inProgram("Taro.2")), QByteArray("two"));
    QCOMPARE(Fs::readBytes(p.inProgram("Taro.3")), QByteArray("ten"));
}

void MailPlaceTest::fetchSkipsNumbersUsedInTmp()
{
    Place p;
    put(p.inTmp("TMPTaro.1"), "open window");
    put(p.inProgram("Taro.3"), "waiting");
    put(p.inMail("Taro.001"), "a");
    put(p.inMail("Taro.002"), "b");
    QCOMPARE(p.box().nextInboxNumber(), 2);
    const Mailbox::FetchResult r = p.box().fetch();
    QCOMPARE(r.moved, (QStringList { p.inProgram("Taro.2"), p.inProgram("Taro.4") }));
    QCOMPARE(Fs::readBytes(p.inTmp("TMPTaro.1")), QByteArray("open window"));
    QCOMPARE(Fs::readBytes(p.inProgram("Taro.3")), QByteArray("waiting"));
}

void MailPlaceTest::fetchTakesOnlyOwnFiles()
{
    Place p;
    for (const char* n :
        { "Taro.001", "Hanako.001", "Taro2.001", "XTaro.001", "Taro", "~plw1_2_x.tmp" })
        put(p.inMail(QString::fromLatin1(n)));
    QCOMPARE(Fs::makeDir(p.inMail("Taro.002")), 0); // a folder is no message
    const Mailbox::FetchResult r = p.box().fetch();
    QCOMPARE(r.moved, QStringList { p.inProgram("Taro.1") });
    QVERIFY(r.left.isEmpty());
    QCOMPARE(names(p.mail),
        (QStringList { "Hanako.001", "Taro", "Taro2.001", "XTaro.001", "~plw1_2_x.tmp" }));
    QVERIFY(Fs::isDir(p.inMail("Taro.002")));
}

void MailPlaceTest::fetchRefusesDangerousOwnNames_data()
{
    QTest::addColumn<QString>("own");
    QTest::newRow("empty") << "";
    QTest::newRow("wildcard star") << "*";
    QTest::newRow("wildcard question mark") << "Tar?";
    QTest::newRow("path") << "../Taro";
}

void MailPlaceTest::fetchRefusesDangerousOwnNames()
{
    QFETCH(QString, own);
    Place p;
    put(p.inMail("Taro.001"));
    put(p.inMail(".001"));
    const Mailbox::FetchResult r = p.box(own).fetch();
    QVERIFY(r.moved.isEmpty());
    QCOMPARE(names(p.mail).size(), 2);
    QCOMPARE(names(p.program), QStringList());
}

void MailPlaceTest::fetchNothingWhenMailPlaceIsProgramFolder()
{
    Place p;
    put(p.inProgram("Taro.1"), "inbox");
    const Mailbox box(p.program + QStringLiteral("/."), p.program, QStringLiteral("Taro"));
    QVERIFY(box.fetch().moved.isEmpty());
    QCOMPARE(Fs::readBytes(p.inProgram("Taro.1")), QByteArray("inbox"));
    QVERIFY(!Fs::exists(p.inProgram("Taro.2")));
}

void MailPlaceTest::immovableFileStaysForNextPoll()
{
    Place p;
    put(p.inMail("Taro.001"), "1");
    put(p.inMail("Taro.002"), "2");
    put(p.inMail("Taro.003"), "3");
    ImmutableGuard guard { p.inMail("Taro.002") };
    if (!setImmutable(guard.path, true))
        QSKIP("this file system or user cannot make a file immutable");

    const Mailbox::FetchResult first = p.box().fetch();
    QCOMPARE(first.moved, (QStringList { p.inProgram("Taro.1"), p.inProgram("Taro.2") }));
    QCOMPARE(first.left, QStringList { p.inMail("Taro.002") });
    QCOMPARE(Fs::readBytes(p.inProgram("Taro.2")), QByteArray("3"));
    QCOMPARE(names(p.mail), QStringList { "Taro.002" });

    QVERIFY(setImmutable(guard.path, false));
    const Mailbox::FetchResult next = p.box().fetch();
    QCOMPARE(next.moved, QStringList { p.inProgram("Taro.3") });
    QCOMPARE(Fs::readBytes(p.inProgram("Taro.3")), QByteArray("2"));
    QCOMPARE(names(p.mail), QStringList());
}

namespace {

// A mail place on another file system than the program folder, as a share is.
std::unique_ptr<QTemporaryDir> otherFileSystemFolder(const QString& than)
{
    struct stat a, b;
    if (::stat("/dev/shm", &a) != 0 || ::stat(QFile::encodeName(than).constData(), &b) != 0
        || a.st_dev == b.st_dev)
        return nullptr;
    auto dir = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/porlune-mail-XXXXXX"));
    return dir->isValid() ? std::move(dir) : nullptr;
}

} // namespace

void MailPlaceTest::fetchAcrossFileSystems()
{
    QTemporaryDir probe;
    const auto shm = otherFileSystemFolder(probe.path());
    if (!shm)
        QSKIP("no second file system (/dev/shm) to fetch across");
    Place p(shm->path());
    const QByteArray big(300000, 'q');
    put(p.inMail("Taro.001"), big);
    put(p.inMail("Taro.002"), "small");
    const Mailbox::FetchResult r = p.box().fetch();
    QCOMPARE(r.moved.size(), 2);
    QCOMPARE(Fs::readBytes(p.inProgram("Taro.1")), big);
    QCOMPARE(Fs::readBytes(p.inProgram("Taro.2")), QByteArray("small"));
    QCOMPARE(names(p.mail), QStringList());
    QCOMPARE(names(p.program), (QStringList { "Taro.1", "Taro.2" }));
}

void MailPlaceTest::immovableFileAcrossFileSystemsIsNotCopiedTwice()
{
    QTemporaryDir probe;
    const auto shm = otherFileSystemFolder(probe.path());
    if (!shm)
        QSKIP("no second file system (/dev/shm) to fetch across");
    Place p(shm->path());
    put(p.inMail("Taro.001"), "held");
    ImmutableGuard guard { p.inMail("Taro.001") };
    if (!setImmutable(guard.path, true))
        QSKIP("this file system or user cannot make a file immutable");
    for (int poll = 0; poll < 3; ++poll) {
        const Mailbox::FetchResult r = p.box().fetch();
        QVERIFY(r.moved.isEmpty());
        QCOMPARE(r.left, QStringList { p.inMail("Taro.001") });
    }
    // The copy made before the source refused to go was taken back every time.
    QCOMPARE(names(p.program), QStringList());
    QVERIFY(setImmutable(guard.path, false));
    QCOMPARE(p.box().fetch().moved, QStringList { p.inProgram("Taro.1") });
    QCOMPARE(Fs::readBytes(p.inProgram("Taro.1")), QByteArray("held"));
}

void MailPlaceTest::claimedDropIsDeliveredOnce_data()
{
    QTest::addColumn<bool>("copiedBeforeKill"); // the kill came after the inbox copy
    QTest::addColumn<bool>("readAlready");      // and the message went on to "TMP"
    QTest::newRow("killed before its copy") << false << false;
    QTest::newRow("killed after its copy") << true << false;
    QTest::newRow("killed after its copy, shown since") << true << true;
}

// A recipient killed in the middle of a fetch leaves the drop under its claimed
// name; the next fetch delivers it unless its bytes are in the inbox already.
void MailPlaceTest::claimedDropIsDeliveredOnce()
{
    QFETCH(bool, copiedBeforeKill);
    QFETCH(bool, readAlready);
    Place p;
    const QString claimed = QStringLiteral("~plf0123456789abcdef_Taro.007");
    QVERIFY(Mailbox::isClaimedDropOf(claimed, QStringLiteral("Taro")));
    put(p.inMail(claimed), "message 7");
    // Somebody else's claimed drop, and a name that only looks like one.
    put(p.inMail(QStringLiteral("~plf0123456789abcdef_Hanako.001")), "not ours");
    put(p.inMail(QStringLiteral("~plfXYZ_Taro.001")), "not a claim");
    put(p.inMail("Taro.008"), "message 8");
    if (copiedBeforeKill)
        put(readAlready ? p.inTmp("TMPTaro.1") : p.inProgram("Taro.1"), "message 7");

    const Mailbox::FetchResult r = p.box().fetch();
    QStringList inbox;
    for (const QString& path : r.moved)
        inbox.append(QString::fromLatin1(Fs::readBytes(path)));
    const QStringList expected = copiedBeforeKill ? QStringList {"message 8"} : QStringList {"message 7", "message 8"};
    QCOMPARE(inbox, expected);
    QCOMPARE(names(p.mail), (QStringList {"~plf0123456789abcdef_Hanako.001", "~plfXYZ_Taro.001"}));
    // Nothing half-made is left in the program folder.
    QCOMPARE(everything(p.program).filter(QStringLiteral("~pl")), QStringList());
    QVERIFY(p.box().fetch().moved.isEmpty());
}

void MailPlaceTest::restoreTmpFiles()
{
    Place p;
    put(p.inTmp("TMPTaro.1"), "first");
    put(p.inTmp("TMPTaro.4"), "second");
    put(p.inTmp("TMPHanako.2"), "not mine");
    const QStringList moved = p.box().restoreTmpFiles();
    // The numbers the "TMP" files held are still taken while they move.
    QCOMPARE(moved, (QStringList { p.inProgram("Taro.2"), p.inProgram("Taro.3") }));
    QCOMPARE(Fs::readBytes(p.inProgram("Taro.2")), QByteArray("first"));
    QCOMPARE(Fs::readBytes(p.inProgram("Taro.3")), QByteArray("second"));
    QCOMPARE(names(Paths::join(p.program, QStringLiteral("TMP"))), QStringList { "TMPHanako.2" });
}

void MailPlaceTest::inboxFilesAreNumberedOnly()
{
    Place p;
    for (const char* n :
        { "Porlune.INI", "Porlune.2", "Porlune.10", "Porlune.01", "Porlune.tmp", "Porlune.1" })
        put(p.inProgram(QString::fromLatin1(n)));
    QCOMPARE(p.box(QStringLiteral("Porlune")).inboxFiles(),
        (QStringList { "Porlune.1", "Porlune.10", "Porlune.2" }));
    QCOMPARE(p.box(QStringLiteral("Porlune")).nextInboxNumber(), 3);
}

void MailPlaceTest::dropTakesFirstFreeNumber()
{
    Place p;
    put(p.inMail("Hanako.001"), "old 1");
    put(p.inMail("Hanako.003"), "old 3");
    const MailDrop::Result r = MailDrop::drop(p.mail, QStringLiteral("Hanako"), "new");
    QVERIFY(r.ok());
    QCOMPARE(r.path, p.inMail("Hanako.002"));
    QCOMPARE(Fs::readBytes(r.path), QByteArray("new"));
    QCOMPARE(MailDrop::drop(p.mail, QStringLiteral("Hanako"), "next").path, p.inMail("Hanako.004"));
    QCOMPARE(Fs::readBytes(p.inMail("Hanako.001")), QByteArray("old 1"));
    QCOMPARE(Fs::readBytes(p.inMail("Hanako.003")), QByteArray("old 3"));
    // No claim and no temporary file stays behind.
    QCOMPARE(everything(p.mail),
        (QStringList { "Hanako.001", "Hanako.002", "Hanako.003", "Hanako.004" }));
}

// A send to several people lists the mail place once; a number somebody takes
// after that listing is still never overwritten.
void MailPlaceTest::dropWithOneListing()
{
    Place p;
    put(p.inMail("hanako.001"), "old"); // the share compares names without case
    put(p.inMail("Taro.002"), "old");
    MailDrop::Listing listing(p.mail);
    put(p.inMail("Taro.001"), "dropped after the listing");
    QCOMPARE(MailDrop::drop(p.mail, QStringLiteral("Hanako"), "a", &listing).path, p.inMail("Hanako.002"));
    QCOMPARE(MailDrop::drop(p.mail, QStringLiteral("Taro"), "b", &listing).path, p.inMail("Taro.003"));
    QCOMPARE(MailDrop::drop(p.mail, QStringLiteral("Hanako"), "c", &listing).path, p.inMail("Hanako.003"));
    QCOMPARE(Fs::readBytes(p.inMail("Taro.001")), QByteArray("dropped after the listing"));
    QCOMPARE(everything(p.mail).size(), 6);
}

void MailPlaceTest::dropPassesOverClaimedNumber()
{
    Place p;
    put(p.inMail("Hanako.001"));
    // Another sender is placing its file under 002 right now.
    const QString claim = p.inMail(MailDrop::claimName(QStringLiteral("Hanako"), 2));
    QCOMPARE(Fs::makeDir(claim), 0);
    const MailDrop::Result r = MailDrop::drop(p.mail, QStringLiteral("Hanako"), "mine");
    QCOMPARE(r.path, p.inMail("Hanako.003"));
    QVERIFY(Fs::isDir(claim));
    // The claim is no drop file: the recipient's fetch does not see it.
    const Mailbox::FetchResult f = Mailbox(p.mail, p.program, QStringLiteral("Hanako")).fetch();
    QCOMPARE(f.moved.size(), 2);
    QVERIFY(f.left.isEmpty());
    QCOMPARE(names(p.mail), QStringList());
    QVERIFY(Fs::isDir(claim));
    QVERIFY(MailDrop::isClaimName(MailDrop::claimName(QStringLiteral("山田 太郎"), 999)));
    QVERIFY(!MailDrop::claimName(QStringLiteral("山田 太郎"), 999).contains(u'.'));
}

void MailPlaceTest::dropClearsStaleClaim()
{
    Place p;
    const QString stale = p.inMail(MailDrop::claimName(QStringLiteral("Hanako"), 1));
    const QString fresh = p.inMail(MailDrop::claimName(QStringLiteral("Hanako"), 2));
    QCOMPARE(Fs::makeDir(stale), 0);
    QCOMPARE(Fs::makeDir(fresh), 0);
    QCOMPARE(
        setMtime(stale, QDateTime::currentDateTime().addSecs(-(MailDrop::StaleClaimSeconds + 60))),
        0);
    QCOMPARE(
        setMtime(fresh, QDateTime::currentDateTime().addSecs(-(MailDrop::StaleClaimSeconds - 60))),
        0);
    // The claim of a sender that died long ago no longer blocks its number;
    // one that may still be in use does.
    QCOMPARE(MailDrop::drop(p.mail, QStringLiteral("Hanako"), "a").path, p.inMail("Hanako.001"));
    QCOMPARE(MailDrop::drop(p.mail, QStringLiteral("Hanako"), "b").path, p.inMail("Hanako.003"));
    QCOMPARE(names(p.mail), (QStringList { "Hanako.001", "Hanako.003" }));
    QVERIFY(!Fs::exists(stale));
    QVERIFY(Fs::isDir(fresh));
}

void MailPlaceTest::dropRefusesWhenAllNumbersTaken()
{
    Place p;
    for (int n = 1; n <= 999; ++n)
        put(p.inMail(MailNames::dropFileName(QStringLiteral("Hanako"), n)), QByteArray::number(n));
    const MailDrop::Result r = MailDrop::drop(p.mail, QStringLiteral("Hanako"), "one too many");
    QCOMPARE(r.status, MailDrop::Status::Full);
    QCOMPARE(Fs::readBytes(p.inMail("Hanako.999")), QByteArray("999"));
    QCOMPARE(everything(p.mail).size(), 999);
    // Another recipient is not affected.
    QVERIFY(MailDrop::drop(p.mail, QStringLiteral("Taro"), "x").ok());
}

void MailPlaceTest::dropRefusesBadNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "";
    QTest::newRow("slash") << "a/b";
    QTest::newRow("backslash") << "a\\b";
    QTest::newRow("up") << "..";
    QTest::newRow("dot") << "Taro.Y";
    QTest::newRow("comma") << "A,B";
    QTest::newRow("colon") << "C:x";
    QTest::newRow("star") << "*";
    QTest::newRow("question mark") << "Tar?";
    QTest::newRow("quote") << "a\"b";
    QTest::newRow("angle brackets") << "<a>";
    QTest::newRow("bar") << "a|b";
    QTest::newRow("tab") << "a\tb";
    QTest::newRow("trailing blank") << "Taro ";
    QTest::newRow("trailing ideographic blank") << "太郎　";
    QTest::newRow("device name") << "CON";
    QTest::newRow("device name, lower case") << "com1";
    QTest::newRow("printer port") << "LPT9";
    QTest::newRow("too long") << QString(120, QChar(u'長'));
}

void MailPlaceTest::dropRefusesBadNames()
{
    QFETCH(QString, name);
    Place p;
    QVERIFY(!MailNames::nameProblem(name).isEmpty());
    const MailDrop::Result r = MailDrop::drop(p.mail, name, "x");
    QCOMPARE(r.status, MailDrop::Status::BadName);
    QCOMPARE(everything(p.mail), QStringList());
    QCOMPARE(everything(p.root.path()), (QStringList { "mail", "prog" }));
}

void MailPlaceTest::dropIntoMissingMailPlace()
{
    Place p;
    const QString missing = Paths::join(p.root.path(), QStringLiteral("gone"));
    const MailDrop::Result r = MailDrop::drop(missing, QStringLiteral("Taro"), "x");
    QCOMPARE(r.status, MailDrop::Status::Failed);
    QCOMPARE(r.error, ENOENT);
    QVERIFY(!Fs::exists(missing));
}

void MailPlaceTest::scheduledNames()
{
    Place p;
    const QString tim = Paths::join(p.program, QStringLiteral("TIM"));
    QCOMPARE(Fs::makeDir(tim), 0);
    const QString when = QStringLiteral("20060614090500");
    QCOMPARE(MailDrop::schedule(tim, when, QStringLiteral("Taro"), "1").path,
        Paths::join(tim, "20060614090500Taro.001"));
    QCOMPARE(MailDrop::schedule(tim, when, QStringLiteral("Taro"), "2").path,
        Paths::join(tim, "20060614090500Taro.002"));
    QCOMPARE(MailDrop::schedule(tim, when, QStringLiteral("Hanako"), "3").path,
        Paths::join(tim, "20060614090500Hanako.001"));
    QCOMPARE(MailDrop::schedule(tim, when, QStringLiteral("a.b"), "4").status,
        MailDrop::Status::BadName);
    QCOMPARE(names(tim).size(), 3);
}

void MailPlaceTest::namesOfFiles()
{
    QCOMPARE(MailNames::dropFileName(QStringLiteral("山田"), 7), QStringLiteral("山田.007"));
    QCOMPARE(MailNames::inboxFileName(QStringLiteral("Taro"), 12), QStringLiteral("Taro.12"));
    QCOMPARE(MailNames::tmpFileName(QStringLiteral("Taro"), 3), QStringLiteral("TMPTaro.3"));
    QCOMPARE(
        MailNames::rcvFileName(QStringLiteral("Hanako"), 999), QStringLiteral("RCVHanako.999"));
    QCOMPARE(MailNames::numberOf(QStringLiteral("Taro.010"), QStringLiteral("Taro"), 3), 10);
    QCOMPARE(MailNames::numberOf(QStringLiteral("taro.010"), QStringLiteral("Taro"), 3), 10);
    QCOMPARE(MailNames::numberOf(QStringLiteral("Taro.10"), QStringLiteral("Taro"), 3), -1);
    QCOMPARE(MailNames::numberOf(QStringLiteral("Taro.010"), QStringLiteral("Taro")), -1);
    QCOMPARE(MailNames::numberOf(QStringLiteral("Taro2.1"), QStringLiteral("Taro")), -1);
    QVERIFY(MailNames::isUsableName(QStringLiteral("山田 太郎")));
    QVERIFY(MailNames::isUsableName(QStringLiteral("COM10")));
    QVERIFY(MailNames::isUsableName(QStringLiteral("CONSOLE")));
}

void MailPlaceTest::pathSplit_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("expected");
    const QString win = QStringLiteral("C:\\Porlune\\mail\\ban.txt");
    QTest::newRow("drive") << win << 1 << "C:";
    QTest::newRow("folder") << win << 2 << "\\Porlune\\mail\\";
    QTest::newRow("drive and folder") << win << 3 << "C:\\Porlune\\mail\\";
    QTest::newRow("base name") << win << 4 << "ban";
    QTest::newRow("extension") << win << 8 << ".txt";
    QTest::newRow("name and extension") << win << 12 << "ban.txt";
    QTest::newRow("all") << win << 15 << win;
    QTest::newRow("none") << win << 0 << "";
    QTest::newRow("empty path") << "" << 15 << "";
    QTest::newRow("no extension") << "C:\\a\\README" << 8 << "";
    QTest::newRow("dot in a folder only") << "C:\\v1.2\\README" << 4 << "README";
    QTest::newRow("dot in a folder, no extension") << "C:\\v1.2\\README" << 8 << "";
    QTest::newRow("two dots") << "a\\b.tar.gz" << 8 << ".gz";
    QTest::newRow("posix folder") << "/srv/mail/x.iki" << 3 << "/srv/mail/";
    QTest::newRow("posix colon in a folder is no drive") << "/srv/a:b/x.iki" << 1 << "";
    QTest::newRow("posix colon folder") << "/srv/a:b/x.iki" << 3 << "/srv/a:b/";
    QTest::newRow("drive only") << "C:" << 3 << "C:";
    QTest::newRow("drive relative") << "C:x.txt" << 4 << "x";
    QTest::newRow("UNC") << "\\\\server\\share\\f.txt" << 3 << "\\\\server\\share\\";
    QTest::newRow("name only") << "f.txt" << 6 << "f";
}

void MailPlaceTest::pathSplit()
{
    QFETCH(QString, path);
    QFETCH(int, flags);
    QFETCH(QString, expected);
    QCOMPARE(Path_Split(path, flags), expected);
}
