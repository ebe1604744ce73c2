#include "tst_BoardAccess.h"

#include "BoardFixture.h"
#include "board/BoardAccess.h"
#include "board/BoardFile.h"
#include "platform/FileOps.h"
#include "platform/QuotedCsv.h"
#include "platform/SharedClaim.h"
#include "platform/SharedFile.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

using namespace BoardFixture;

namespace {

const QString kDamagedText = QStringLiteral("共有掲示板ファイルに異常があります");
const QString kDamagedTitle = QStringLiteral("掲示板アクセスエラー");

void verifyDamagedShownOnce(const RecordingMessageBox& box)
{
    QCOMPARE(box.shown().size(), 1);
    QCOMPARE(box.shown()[0].text, kDamagedText);
    QCOMPARE(box.shown()[0].title, kDamagedTitle);
    QCOMPARE(box.shown()[0].icon, MsgIcon::Stop);
    QCOMPARE(box.shown()[0].buttons, MsgButtons::Ok);
}

QList<BoardRow> threePeople()
{
    return {person(QStringLiteral("田中"), QStringLiteral("会議")), separator(),
            person(QStringLiteral("佐藤"), QStringLiteral("外出"))};
}

// The user of a test, logged in to board 1 at path.
void useBoard(TestUser& u, const QString& path, const QString& name)
{
    Settings& s = u.ctx().settings();
    s.setText(SettingNo::UserName, name);
    s.setText(SettingNo::Extension, QStringLiteral("555"));
    s.setText(SettingNo::MailAddress, QStringLiteral("me@example.jp"));
    BoardEntry& e = u.ctx().board().entries[0];
    e = BoardEntry {1, QStringLiteral("総務部"), path, true, true, 0, false};
}

} // namespace

void TestBoardAccess::missingBoard()
{
    auto u = quickUser();
    QTemporaryDir dir;
    u->ctx().board().rows = threePeople();
    QCOMPARE(Ikifile_Read(u->ctx(), dir.filePath(QStringLiteral("none.iki"))), 0);
    QCOMPARE(Ikifile_Read(u->ctx(), dir.filePath(QStringLiteral("no/folder.iki"))), 0);
    QCOMPARE(u->ctx().board().rowCount(), 0);
    QVERIFY(u->box().shown().isEmpty());
    // A cycle on it is skipped silently and creates nothing.
    QCOMPARE(runUpdateCycle(u->ctx(), 0, dir.filePath(QStringLiteral("none.iki")), [](QList<BoardRow>&) {}),
             CycleResult::Missing);
    QVERIFY(u->box().shown().isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

void TestBoardAccess::fiftyRowsReadAndWrittenWhole_data()
{
    SHARED_PLACES_DATA();
}

void TestBoardAccess::fiftyRowsReadAndWrittenWhole()
{
    QFETCH(SharedPlace::Kind, place);
    SHARED_PLACE(dir, place);
    const QString path = dir.file(QStringLiteral("fifty.iki"));
    QList<BoardRow> rows;
    for (int k = 1; k <= 50; ++k)
        rows.append(k % 10 == 0 ? separator() : person(QStringLiteral("社員%1").arg(k), QString::number(k)));
    writeRows(path, rows);
    const QByteArray before = Fs::readBytes(path);

    auto u = quickUser();
    QCOMPARE(Ikifile_Read(u->ctx(), path), 50);
    QCOMPARE(u->ctx().board().rows, rows);

    QCOMPARE(runUpdateCycle(u->ctx(), 3, path, [](QList<BoardRow>& r) { r[48].destination = QStringLiteral("最終行"); }),
             CycleResult::Written);
    QList<BoardRow> expected = rows;
    expected[48].destination = QStringLiteral("最終行");
    QCOMPARE(rowsOf(path), expected);
    QCOMPARE(Fs::readBytes(path + QStringLiteral(".bak")), before);
    // The backup is the old board itself, by name: nothing else is left beside them.
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({QFileInfo(path).fileName(), QFileInfo(path).fileName() + QStringLiteral(".bak")}));
    QCOMPARE(u->ctx().board().entries[3].rowCount, 50);
    QVERIFY(u->box().shown().isEmpty());
    QVERIFY(!Fs::exists(SharedClaim::lockPathFor(path)));
}

void TestBoardAccess::waitRestoreOrDamaged_data()
{
    QTest::addColumn<QByteArray>("board");
    QTest::addColumn<QByteArray>("backup"); // null: no backup file
    QTest::addColumn<int>("rows");
    QTest::addColumn<QByteArray>("boardAfter");

    const QByteArray good = BoardFile::format(threePeople());
    const QByteArray torn = good + "\"途中\",\"";
    QTest::newRow("empty, usable backup: restored on the 50th attempt") << QByteArray("") << good << 3 << good;
    QTest::newRow("empty, no backup") << QByteArray("") << QByteArray() << 0 << QByteArray("");
    QTest::newRow("empty, empty backup") << QByteArray("") << QByteArray("") << 0 << QByteArray("");
    QTest::newRow("cut short for good, usable backup: not empty, so no restore") << torn << good << 0 << torn;
    // The restored copy is no better: further attempts are bounded and end
    // with the message.
    QTest::newRow("empty, backup itself cut short") << QByteArray("") << torn << 0 << torn;
}

void TestBoardAccess::waitRestoreOrDamaged()
{
    QFETCH(QByteArray, board);
    QFETCH(QByteArray, backup);
    QFETCH(int, rows);
    QFETCH(QByteArray, boardAfter);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("g.iki"));
    writeRaw(path, board);
    if (!backup.isNull())
        writeRaw(path + QStringLiteral(".bak"), backup);

    auto u = quickUser();
    QCOMPARE(Ikifile_Read(u->ctx(), path), rows);
    QCOMPARE(Fs::readBytes(path), boardAfter);
    if (!backup.isNull())
        QCOMPARE(Fs::readBytes(path + QStringLiteral(".bak")), backup);
    if (rows == 0)
        verifyDamagedShownOnce(u->box());
    else
        QVERIFY(u->box().shown().isEmpty());
}

void TestBoardAccess::lineCutShortIsReadAgain()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("h.iki"));
    const QByteArray good = BoardFile::format(threePeople());
    writeRaw(path, good.left(good.size() - 9)); // an older copy is halfway through writing it
    auto u = quickUser();
    int waits = 0;
    u->ctx().board().waits.pause = [&](int) {
        if (++waits == 3)
            writeRaw(path, good); // ... and finishes
    };
    QCOMPARE(Ikifile_Read(u->ctx(), path), 3);
    QCOMPARE(u->ctx().board().rows, threePeople());
    QVERIFY(u->box().shown().isEmpty());
}

void TestBoardAccess::halfWrittenBoardWaitedFor_data()
{
    QTest::addColumn<int>("firstRows");   // rows on the board at first, read settled
    QTest::addColumn<int>("cutRows");     // whole lines present when read again
    QTest::addColumn<bool>("lineEnd");    // the cut content ends with its line end
    QTest::addColumn<int>("finishAfter"); // waits before the writer finishes; 0 never
    QTest::addColumn<int>("expected");
    // An older copy rewrites the board line by line: a cut at a line boundary
    // parses as a sound, shorter board.
    QTest::newRow("fewer rows, then finished") << 3 << 1 << true << 2 << 3;
    QTest::newRow("last line without line end, then finished") << 3 << 3 << false << 2 << 3;
    QTest::newRow("fewer rows for good: a real removal") << 3 << 1 << true << 0 << 1;
    QTest::newRow("no line end for good: written by hand") << 3 << 3 << false << 0 << 3;
    QTest::newRow("more rows: no wait") << 1 << 3 << true << 0 << 3;
}

void TestBoardAccess::halfWrittenBoardWaitedFor()
{
    QFETCH(int, firstRows);
    QFETCH(int, cutRows);
    QFETCH(bool, lineEnd);
    QFETCH(int, finishAfter);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("h.iki"));
    const QList<BoardRow> all = threePeople();
    writeRaw(path, BoardFile::format(all.mid(0, firstRows)));
    auto u = quickUser();
    QCOMPARE(Ikifile_Read(u->ctx(), path), firstRows);

    QByteArray cut = BoardFile::format(all.mid(0, cutRows));
    if (!lineEnd)
        cut.chop(2);
    writeRaw(path, cut);
    int waits = 0;
    u->ctx().board().waits.pause = [&](int) {
        if (++waits == finishAfter)
            writeRaw(path, BoardFile::format(all));
    };
    QCOMPARE(Ikifile_Read(u->ctx(), path), expected);
    QCOMPARE(u->ctx().board().rows, all.mid(0, expected));
    QCOMPARE(waits > 0, firstRows > cutRows || !lineEnd);
    QVERIFY(u->box().shown().isEmpty());
}

// A copy killed while it had the board aside for its replace left it under a
// private name; the next cycle puts it back and carries on, and a copy that
// only reads the board puts it back as well.
void TestBoardAccess::boardLeftAsideIsPutBack_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("update cycle") << false;
    QTest::newRow("read") << true;
}

void TestBoardAccess::boardLeftAsideIsPutBack()
{
    QFETCH(bool, readOnly);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.iki"));
    writeRows(dir.filePath(QStringLiteral("a.iki.~plh4242_older")), {person(QStringLiteral("古い"))});
    writeRows(dir.filePath(QStringLiteral("a.iki.~plh4243_newer")), threePeople());
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(dir.filePath(QStringLiteral("a.iki.~plh4242_older"))).constData(),
                        std::array<timespec, 2> {{{1000000000, 0}, {1000000000, 0}}}.data(), 0) == 0);
    auto u = quickUser();
    QList<BoardRow> expected = threePeople();
    if (readOnly) {
        QCOMPARE(Ikifile_Read(u->ctx(), path), 3);
        QCOMPARE(u->ctx().board().rows, expected);
    } else {
        const CycleResult r = runUpdateCycle(u->ctx(), 0, path, [](QList<BoardRow>& rows) {
            rows[1].destination = QStringLiteral("会議");
        });
        QCOMPARE(r, CycleResult::Written);
        expected[1].destination = QStringLiteral("会議");
    }
    QCOMPARE(rowsOf(path), expected);
    QVERIFY(!Fs::exists(dir.filePath(QStringLiteral("a.iki.~plh4243_newer"))));
    QVERIFY(!Fs::exists(dir.filePath(QStringLiteral("a.iki.~plh4242_older"))));
    QVERIFY(u->box().shown().isEmpty());
}

// Bytes that do not survive decoding stay as they were in rows nobody changed.
void TestBoardAccess::unchangedRowsKeepTheirBytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.iki"));
    const QByteArray lone = "\"\x8e\x52\x93\x63\",\"A\x81 B\",\"0\",\"\",\"\",\"\",\"\"\r\n";
    const QByteArray unassigned = "\"\x8d\xb2\x93\xa1\",\"\x85\x40\",\"1\",\"\",\"\",\"\",\"\"\r\n";
    const QByteArray own = BoardFile::format({person(QStringLiteral("山田太郎"))});
    writeRaw(path, lone + own + unassigned);
    auto u = quickUser();
    const CycleResult r = runUpdateCycle(u->ctx(), 0, path, [](QList<BoardRow>& rows) {
        forEachOwnRow(rows, QStringLiteral("山田太郎"), [](BoardRow& row) { row.login = QStringLiteral("1"); });
    });
    QCOMPARE(r, CycleResult::Written);
    BoardRow mine = person(QStringLiteral("山田太郎"));
    mine.login = QStringLiteral("1");
    QCOMPARE(Fs::readBytes(path), lone + BoardFile::format({mine}) + unassigned);
}

// Temporary files of copies killed while writing go once they are old by the
// share's clock (the stamp of the board just written), whatever the local one says.
void TestBoardAccess::leftTemporariesAreSweptByTheSharesClock()
{
    const auto age = [](const QString& f, time_t when) {
        const struct timespec ts[2] = {{when, 0}, {when, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(f).constData(), ts, 0), 0);
    };
    const time_t now = ::time(nullptr);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.iki"));
    writeRows(path, threePeople());
    const QString old = dir.filePath(QStringLiteral("~plw999_0_old.tmp"));
    const QString recent = dir.filePath(QStringLiteral("~plw999_1_recent.tmp"));
    const QString notOurs = dir.filePath(QStringLiteral("old.tmp"));
    for (const QString& f : {old, recent, notOurs})
        writeRaw(f, "x");
    age(old, now - 3600);
    age(recent, now - 60);
    age(notOurs, now - 3600);
    auto u = quickUser();
    const CycleResult r = runUpdateCycle(u->ctx(), 0, path, [&](QList<BoardRow>& rows) {
        rows[0].destination = QStringLiteral("会議");
    });
    QCOMPARE(r, CycleResult::Written);
    QVERIFY(!Fs::exists(old));
    QVERIFY(Fs::exists(recent));
    QVERIFY(Fs::exists(notOurs));

    // A share whose clock runs two hours ahead of this machine's: what is an
    // hour old by its clock goes, though it lies in this machine's future.
    QTemporaryDir ahead;
    const QString early = ahead.filePath(QStringLiteral("~plw999_2_early.tmp"));
    const QString fresh = ahead.filePath(QStringLiteral("~plw999_3_fresh.tmp"));
    writeRaw(early, "x");
    writeRaw(fresh, "x");
    age(early, now + 3600);
    age(fresh, now + 7140);
    const qint64 shareNowNs = qint64(now + 7200) * 1000000000;
    QCOMPARE(SharedFile::sweepTemporaries(ahead.path(), shareNowNs), 1);
    QVERIFY(!Fs::exists(early));
    QVERIFY(Fs::exists(fresh));
    // Once per folder and process: the next look comes ten minutes later.
    age(fresh, now);
    QCOMPARE(SharedFile::sweepTemporaries(ahead.path(), shareNowNs), 0);
}

void TestBoardAccess::missingForAMomentWhileClaimed_data()
{
    SHARED_PLACES_DATA();
}

void TestBoardAccess::missingForAMomentWhileClaimed()
{
    // A rename over the board on an SMB mount deletes it first: a reader that
    // finds it missing while a writer holds the claim reads again.
    QFETCH(SharedPlace::Kind, place);
    SHARED_PLACE(dir, place);
    const QString path = dir.file(QStringLiteral("i.iki"));
    auto writer = std::make_unique<SharedClaim>(SharedClaim::lockPathFor(path));
    QCOMPARE(writer->acquire(), 0);
    auto u = quickUser();
    int waits = 0;
    u->ctx().board().waits.pause = [&](int) {
        if (++waits == 6) {
            writeRows(path, threePeople());
            writer.reset(); // releases
        }
    };
    QCOMPARE(Ikifile_Read(u->ctx(), path), 3);
    QVERIFY(u->box().shown().isEmpty());
}

void TestBoardAccess::rewrittenBetweenReadAndWrite_data()
{
    QTest::addColumn<bool>("sameStamp");
    QTest::newRow("other content, other size") << false;
    // Same size, same second: a time stamp alone would not tell.
    QTest::newRow("same size and time stamp") << true;
}

void TestBoardAccess::rewrittenBetweenReadAndWrite()
{
    QFETCH(bool, sameStamp);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("j.iki"));
    writeRows(path, threePeople());
    auto u = quickUser();
    int calls = 0;
    const CycleResult r = runUpdateCycle(u->ctx(), 0, path, [&](QList<BoardRow>& rows) {
        if (++calls == 1) {
            // Another copy (an older one that takes no claim) writes the board now.
            struct stat st;
            QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
            QList<BoardRow> theirs = threePeople();
            // Same byte length as 外出 when the stamp is kept, longer otherwise.
            theirs[2].destination = sameStamp ? QStringLiteral("帰宅") : QStringLiteral("帰宅しました");
            writeRows(path, theirs);
            if (sameStamp) {
                const struct timespec ts[2] = {st.st_atim, st.st_mtim};
                QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), ts, 0), 0);
                QCOMPARE(Fs::length(path), qint64(st.st_size));
            }
        }
        rows[0].destination = QStringLiteral("出張");
    });
    QCOMPARE(r, CycleResult::Written);
    QCOMPARE(calls, 2); // read again, change applied again to the fresh content
    QList<BoardRow> expected = threePeople();
    expected[0].destination = QStringLiteral("出張");
    expected[2].destination = sameStamp ? QStringLiteral("帰宅") : QStringLiteral("帰宅しました");
    QCOMPARE(rowsOf(path), expected);
    QVERIFY(u->box().shown().isEmpty());
}

void TestBoardAccess::damagedBoardNeverWrittenBack_data()
{
    QTest::addColumn<QByteArray>("board");
    QTest::addColumn<QByteArray>("backup");
    const QByteArray good = BoardFile::format(threePeople());
    QTest::newRow("empty, no backup") << QByteArray("") << QByteArray();
    QTest::newRow("cut short, with backup") << good + "\"x\",\"" << good;
    QTest::newRow("empty, backup cut short") << QByteArray("") << good + "\"x\",\"";
}

void TestBoardAccess::damagedBoardNeverWrittenBack()
{
    QFETCH(QByteArray, board);
    QFETCH(QByteArray, backup);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("k.iki"));
    writeRaw(path, board);
    if (!backup.isNull())
        writeRaw(path + QStringLiteral(".bak"), backup);
    auto u = quickUser();
    useBoard(*u, path, QStringLiteral("田中"));
    bool changed = false;
    QCOMPARE(runUpdateCycle(u->ctx(), 0, path, [&](QList<BoardRow>&) { changed = true; }), CycleResult::Damaged);
    QVERIFY(!changed);
    verifyDamagedShownOnce(u->box());
    // The board keeps what it had (or what the restore put there); the backup is
    // not overwritten with an empty board.
    const QByteArray after = Fs::readBytes(path);
    QVERIFY(after == board || after == backup);
    QVERIFY(!after.isEmpty() || backup.isNull());
    if (!backup.isNull())
        QCOMPARE(Fs::readBytes(path + QStringLiteral(".bak")), backup);
    else
        QVERIFY(!Fs::exists(path + QStringLiteral(".bak")));
    QCOMPARE(u->ctx().board().entries[0].rowCount, 0);
    QVERIFY(!Fs::exists(SharedClaim::lockPathFor(path)));
}

void TestBoardAccess::separatorRowsUntouched_data()
{
    QTest::addColumn<BoardRow>("sep");
    QTest::newRow("login 9") << separator(QStringLiteral("9"));
    QTest::newRow("login empty") << separator(QString());
    QTest::newRow("login other text") << separator(QStringLiteral("x"));
    QTest::newRow("named like the user") << separator(QStringLiteral("9"), QStringLiteral("田中"));
}

void TestBoardAccess::separatorRowsUntouched()
{
    QFETCH(BoardRow, sep);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("l.iki"));
    writeRows(path, {sep, person(QStringLiteral("田中")), sep});
    auto u = quickUser();
    useBoard(*u, path, QStringLiteral("田中"));
    u->ctx().settings().setInt(56, 1);
    u->ctx().settings().setInt(57, 1);

    QCOMPARE(Ikifile_Login(u->ctx()), 1);
    runUpdateCycle(u->ctx(), 0, path, [](QList<BoardRow>& rows) {
        forEachOwnRow(rows, QStringLiteral("田中"), [](BoardRow& r) { r.destination = QStringLiteral("会議"); });
    });
    Ikifile_Logout(u->ctx(), false);

    const QList<BoardRow> after = rowsOf(path);
    QCOMPARE(after.size(), 3);
    QCOMPARE(after[0], sep);
    QCOMPARE(after[2], sep);
    QCOMPARE(after[1].login, QStringLiteral("0"));
}

void TestBoardAccess::personInTwoRows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m.iki"));
    const QList<BoardRow> before = {person(QStringLiteral("田中"), QStringLiteral("a")), person(QStringLiteral("佐藤")),
                                    separator(), person(QStringLiteral("田中"), QStringLiteral("b"))};
    writeRows(path, before);
    auto u = quickUser();
    useBoard(*u, path, QStringLiteral("田中"));
    QCOMPARE(Ikifile_Login(u->ctx()), 1);
    const QList<BoardRow> after = rowsOf(path);
    for (int k : {0, 3}) {
        QCOMPARE(after[k].login, QStringLiteral("1"));
        QCOMPARE(after[k].setTime, QStringLiteral("06/14 09:05"));
        QCOMPARE(after[k].extension, QStringLiteral("555"));
    }
    QCOMPARE(after[1], before[1]);
    QCOMPARE(after[2], before[2]);
}

void TestBoardAccess::loginAndLogout_data()
{
    QTest::addColumn<bool>("login");
    QTest::addColumn<int>("autoFlag");  // setting 56 (login) or 57 (logout)
    QTest::addColumn<bool>("endSet");   // mnuEndSet checked (logout only)
    QTest::addColumn<QString>("dest");
    QTest::addColumn<QString>("ret");

    QTest::newRow("login, no automatic start") << true << 0 << false << "元の行き先" << "元の戻り";
    QTest::newRow("login, automatic start") << true << 1 << false << "席にいます" << "朝";
    QTest::newRow("logout, no automatic exit") << false << 0 << false << "元の行き先" << "元の戻り";
    QTest::newRow("logout, automatic exit") << false << 1 << false << "帰宅しました" << "明日";
    QTest::newRow("logout, automatic exit but not today") << false << 1 << true << "元の行き先" << "元の戻り";
}

void TestBoardAccess::loginAndLogout()
{
    QFETCH(bool, login);
    QFETCH(int, autoFlag);
    QFETCH(bool, endSet);
    QFETCH(QString, dest);
    QFETCH(QString, ret);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("n.iki"));
    const QString me = QStringLiteral("山田〜太郎"); // a JIS form that must survive the round trip
    BoardRow mine {me, QStringLiteral("元の行き先"), login ? QStringLiteral("0") : QStringLiteral("1"),
                   QStringLiteral("99:99 99/99"), QStringLiteral("元の戻り"), QStringLiteral("1"), QString()};
    writeRows(path, {person(QStringLiteral("他人")), mine});
    auto u = quickUser();
    useBoard(*u, path, me);
    Settings& s = u->ctx().settings();
    s.setInt(login ? 56 : 57, autoFlag);
    s.setText(58, QStringLiteral("席にいます"));
    s.setText(60, QStringLiteral("朝"));
    s.setText(59, QStringLiteral("帰宅しました"));
    s.setText(61, QStringLiteral("明日"));
    u->clock().set(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 30)));

    if (login)
        QCOMPARE(Ikifile_Login(u->ctx()), 1);
    else
        Ikifile_Logout(u->ctx(), endSet);

    const QList<BoardRow> after = rowsOf(path);
    QCOMPARE(after[0], person(QStringLiteral("他人")));
    const BoardRow expected {Sjis::decode(Sjis::encode(me)), dest, login ? QStringLiteral("1") : QStringLiteral("0"), QStringLiteral("12/31 23:59"), ret,
                             QStringLiteral("555"), QStringLiteral("me@example.jp")};
    QCOMPARE(after[1], expected);
    QVERIFY(u->box().shown().isEmpty());
}

void TestBoardAccess::onlyShownAndLoggedInBoards()
{
    QTemporaryDir dir;
    auto u = quickUser();
    u->ctx().settings().setText(SettingNo::UserName, QStringLiteral("田中"));
    struct Case {
        bool shown, loggedIn, changed;
    };
    const Case cases[] = {{true, true, true}, {true, false, false}, {false, true, false}};
    QStringList paths;
    for (int i = 0; i < 3; ++i) {
        paths.append(dir.filePath(QStringLiteral("b%1.iki").arg(i)));
        writeRows(paths[i], threePeople());
        u->ctx().board().entries[std::size_t(i)] =
            BoardEntry {i + 1, QStringLiteral("g"), paths[i], cases[i].shown, cases[i].loggedIn, 0, false};
    }
    QCOMPARE(Ikifile_Login(u->ctx()), 1);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(rowsOf(paths[i])[0].login == QStringLiteral("1"), cases[i].changed);

    // A name found on no board: 0, and the board is still rewritten as it was.
    const QByteArray before = Fs::readBytes(paths[0]);
    u->ctx().settings().setText(SettingNo::UserName, QStringLiteral("いない人"));
    QCOMPARE(Ikifile_Login(u->ctx()), 0);
    QCOMPARE(Fs::readBytes(paths[0]), before);
    QCOMPARE(Fs::readBytes(paths[0] + QStringLiteral(".bak")), before);
}

void TestBoardAccess::readOnlyBoardNotWritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("o.iki"));
    writeRows(path, threePeople());
    QCOMPARE(Fs::setReadOnly(path, true), 0);
    const QByteArray before = Fs::readBytes(path);
    auto u = quickUser();
    useBoard(*u, path, QStringLiteral("田中"));
    QCOMPARE(runUpdateCycle(u->ctx(), 0, path, [](QList<BoardRow>& r) { r[0].destination = QStringLiteral("x"); }),
             CycleResult::Failed);
    QCOMPARE(Fs::readBytes(path), before);
    QCOMPARE(u->box().texts(), QStringList {QStringLiteral("(Ikifile_Write)") + path + QStringLiteral(" open error! err code = 13")});
    QCOMPARE(u->box().shown()[0].title, QStringLiteral("Porlune"));
    QCOMPARE(u->box().shown()[0].icon, MsgIcon::None);
    QVERIFY(!Fs::exists(SharedClaim::lockPathFor(path)));
}

void TestBoardAccess::nestedCycleOnSameBoardRefused()
{
    // A wait lets pending events run; a cycle started from one on the board this
    // copy is changing must not wait for its own claim.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.iki"));
    writeRows(path, threePeople());
    auto u = quickUser();
    CycleResult inner = CycleResult::Written;
    const CycleResult outer = runUpdateCycle(u->ctx(), 0, path, [&](QList<BoardRow>& rows) {
        inner = runUpdateCycle(u->ctx(), 0, path, [](QList<BoardRow>& r) { r[0].destination = QStringLiteral("内"); });
        rows[2].destination = QStringLiteral("外");
    });
    QCOMPARE(outer, CycleResult::Written);
    QCOMPARE(inner, CycleResult::Failed);
    QCOMPARE(u->box().shown().size(), 1);
    QCOMPARE(rowsOf(path)[2].destination, QStringLiteral("外"));
    QCOMPARE(rowsOf(path)[0].destination, QStringLiteral("会議"));
}

void TestBoardAccess::boardTableReloadedDuringCycle()
{
    // The set button passes the board table entry's own path. While the cycle
    // waits for another copy's claim, pending events run; a board list chosen
    // anew meanwhile rebuilds the table. The cycle must still change the board
    // it claimed, not whatever path the entry holds by then.
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.iki"));
    const QString b = dir.filePath(QStringLiteral("b.iki"));
    writeRows(a, threePeople());
    writeRows(b, threePeople());
    const QByteArray bBefore = Fs::readBytes(b);
    auto u = quickUser();
    useBoard(*u, a, QStringLiteral("田中"));
    auto other = std::make_unique<SharedClaim>(SharedClaim::lockPathFor(a));
    QCOMPARE(other->acquire(), 0);
    u->ctx().board().waits.pause = [&](int) {
        if (!other)
            return;
        other.reset(); // the other copy is done with board a
        u->ctx().board().entries[0].path = b; // the table as the new list has it
    };
    QCOMPARE(runUpdateCycle(u->ctx(), 0, u->ctx().board().entries[0].path,
                            [](QList<BoardRow>& rows) {
                                forEachOwnRow(rows, QStringLiteral("田中"),
                                              [](BoardRow& r) { r.destination = QStringLiteral("出張"); });
                            }),
             CycleResult::Written);
    QCOMPARE(rowsOf(a)[0].destination, QStringLiteral("出張"));
    QCOMPARE(Fs::readBytes(b), bBefore);
    QVERIFY(!Fs::exists(SharedClaim::lockPathFor(a)));
    QVERIFY(!Fs::exists(SharedClaim::lockPathFor(b)));
}

void TestBoardAccess::boardReachedThroughLinks()
{
    // Two copies reach one board through links of their own. A rename over a
    // link would make it a local file that nobody else sees, and claims beside
    // each link would not keep the copies apart.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("share")) && QDir(dir.path()).mkpath(QStringLiteral("one"))
            && QDir(dir.path()).mkpath(QStringLiteral("two")));
    const QString real = dir.filePath(QStringLiteral("share/p.iki"));
    const QString viaOne = dir.filePath(QStringLiteral("one/p.iki"));
    const QString viaTwo = dir.filePath(QStringLiteral("two/board.iki"));
    writeRows(real, threePeople());
    QVERIFY(QFile::link(real, viaOne));
    QVERIFY(QFile::link(QStringLiteral("../share/p.iki"), viaTwo));
    QCOMPARE(SharedClaim::lockPathFor(viaOne), SharedClaim::lockPathFor(viaTwo));

    // The other copy holds the board; this one must wait for it.
    auto other = std::make_unique<SharedClaim>(SharedClaim::lockPathFor(viaTwo));
    QCOMPARE(other->acquire(), 0);
    auto u = quickUser();
    int waited = 0;
    u->ctx().board().waits.pause = [&](int) {
        ++waited;
        other.reset();
    };
    QCOMPARE(runUpdateCycle(u->ctx(), 0, viaOne, [](QList<BoardRow>& rows) { rows[0].destination = QStringLiteral("一"); }),
             CycleResult::Written);
    QVERIFY(waited > 0);
    QCOMPARE(runUpdateCycle(u->ctx(), 0, viaTwo, [](QList<BoardRow>& rows) { rows[2].destination = QStringLiteral("二"); }),
             CycleResult::Written);

    QVERIFY(QFileInfo(viaOne).isSymLink());
    QVERIFY(QFileInfo(viaTwo).isSymLink());
    QCOMPARE(rowsOf(real)[0].destination, QStringLiteral("一"));
    QCOMPARE(rowsOf(real)[2].destination, QStringLiteral("二"));
    QVERIFY(Fs::isFile(real + QStringLiteral(".bak")));
    QCOMPARE(QDir(dir.filePath(QStringLiteral("one"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
             QStringList {QStringLiteral("p.iki")});
    QCOMPARE(QDir(dir.filePath(QStringLiteral("two"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
             QStringList {QStringLiteral("board.iki")});
}

void TestBoardAccess::ikifileWriteKeepsBackup()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q.iki"));
    writeRows(path, threePeople());
    const QByteArray before = Fs::readBytes(path);
    auto u = quickUser();
    QCOMPARE(Ikifile_Read(u->ctx(), path), 3);
    u->ctx().board().row(3).destination = QStringLiteral("休暇");
    QCOMPARE(Ikifile_Write(u->ctx(), 2, path), 0);
    QCOMPARE(rowsOf(path)[2].destination, QStringLiteral("休暇"));
    QCOMPARE(Fs::readBytes(path + QStringLiteral(".bak")), before);
    QCOMPARE(u->ctx().board().entries[2].rowCount, 3);
    // A folder that is gone: the open-error report, nothing else.
    QCOMPARE(Ikifile_Write(u->ctx(), 2, dir.filePath(QStringLiteral("gone/q.iki"))), ENOENT);
    QCOMPARE(u->box().texts(),
             QStringList {QStringLiteral("(Ikifile_Write)") + dir.filePath(QStringLiteral("gone/q.iki"))
                          + QStringLiteral(" open error! err code = 2")});
}

void TestBoardAccess::boardList_data()
{
    QTest::addColumn<QStringList>("lines");      // %1 = a board file, %2 = a read-only one
    QTest::addColumn<QString>("shownFlags");     // setting 23
    QTest::addColumn<int>("lastGroup");          // setting 62
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QList<int>>("numbers");     // board table numbers, in order

    const QString all = QStringLiteral("22222222222222222222");
    QTest::newRow("three boards, last group kept")
        << QStringList {"1,\"総務部\",\"%1\"", "2,\"営業部\",\"%1\"", "3,\"開発部\",\"%1\""} << all << 2
        << QStringList {"総務部", "営業部", "開発部"} << 2 << QList<int> {1, 2, 3};
    QTest::newRow("last group beyond the list: item 0")
        << QStringList {"1,\"総務部\",\"%1\""} << all << 5 << QStringList {"総務部"} << 0 << QList<int> {1};
    QTest::newRow("numbers 0 and 21 loaded, not listed")
        << QStringList {"0,\"零\",\"%1\"", "21,\"二十一\",\"%1\"", "20,\"二十\",\"%1\""} << all << 0
        << QStringList {"二十"} << 0 << QList<int> {0, 21, 20};
    QTest::newRow("read-only board")
        << QStringList {"1,\"総務部\",\"%2\"", "2,\"営業部\",\"%1\""} << all << 0
        << QStringList {"総務部(読み取り専用)", "営業部"} << 0 << QList<int> {1, 2};
    QTest::newRow("not shown boards")
        << QStringList {"1,\"総務部\",\"%1\"", "2,\"営業部\",\"%1\""} << QStringLiteral("12111111111111111111") << 0
        << QStringList {"営業部"} << 0 << QList<int> {1, 2};
    QTest::newRow("none shown: one empty item")
        << QStringList {"1,\"総務部\",\"%1\""} << QStringLiteral("11111111111111111111") << 3 << QStringList {""} << 0
        << QList<int> {1};
    QTest::newRow("blanks trimmed, blank lines skipped")
        << QStringList {" 1 , \" 総務部 \" , \" %1 \"", "", "2,\"営業部\",\"%1\""} << all << 0
        << QStringList {"総務部", "営業部"} << 0 << QList<int> {1, 2};
    QStringList many;
    for (int k = 1; k <= 22; ++k)
        many.append(QStringLiteral("%1,\"g%1\",\"").arg(k) + QStringLiteral("%1\""));
    QList<int> twenty;
    QStringList twentyItems;
    for (int k = 1; k <= 20; ++k) {
        twenty.append(k);
        twentyItems.append(QStringLiteral("g%1").arg(k));
    }
    QTest::newRow("more than 20 lines: the first 20") << many << all << 0 << twentyItems << 0 << twenty;
    QTest::newRow("no board list") << QStringList() << all << 0 << QStringList {""} << 0 << QList<int>();
}

void TestBoardAccess::boardList()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, shownFlags);
    QFETCH(int, lastGroup);
    QFETCH(QStringList, items);
    QFETCH(int, selected);
    QFETCH(QList<int>, numbers);
    QTemporaryDir dir;
    const QString board = dir.filePath(QStringLiteral("a.iki"));
    const QString readOnly = dir.filePath(QStringLiteral("ro.iki"));
    writeRows(board, threePeople());
    writeRows(readOnly, {person(QStringLiteral("x"))});
    QCOMPARE(Fs::setReadOnly(readOnly, true), 0);
    const QString list = dir.filePath(QStringLiteral("ban.txt"));
    if (!lines.isEmpty()) {
        QString text;
        for (const QString& l : lines)
            text += QString(l).replace(QStringLiteral("%1"), board).replace(QStringLiteral("%2"), readOnly) + QStringLiteral("\r\n");
        writeRaw(list, Sjis::encode(text));
    }
    auto u = quickUser();
    Settings& s = u->ctx().settings();
    s.setText(SettingNo::BoardList, list);
    s.setText(SettingNo::BoardShown, shownFlags);
    s.setText(SettingNo::BoardLoggedIn, QStringLiteral("22222222222222222222"));
    s.setInt(62, lastGroup);
    u->ctx().board().entries[19].groupName = QStringLiteral("stale entry");

    const GroupBoxItems box = Banfile_Read(u->ctx());
    QCOMPARE(box.items, items);
    QCOMPARE(box.selected, selected);
    const auto& entries = u->ctx().board().entries;
    for (int i = 0; i < BoardState::BoardCount; ++i) {
        const BoardEntry& e = entries[std::size_t(i)];
        if (i >= numbers.size()) {
            QCOMPARE(e, BoardEntry {});
            continue;
        }
        QCOMPARE(e.number, numbers[i]);
        const bool listed = e.number >= 1 && e.number <= 20;
        QCOMPARE(e.shown, listed && shownFlags[e.number - 1] == u'2');
        QCOMPARE(e.loggedIn, listed);
        QVERIFY(!e.groupName.startsWith(u' ') && !e.path.endsWith(u' '));
        QCOMPARE(e.readOnly, e.path == readOnly);
        QCOMPARE(e.rowCount, e.path == readOnly ? 1 : 3);
    }
    QVERIFY(u->box().shown().isEmpty());
}
