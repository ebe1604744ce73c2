#include "board/BoardRow.h"
#include "board/BoardFile.h"
#include "board/BoardState.h"
#include "editors/BoardEditSave.h"
#include "editors/ListEditorCore.h"
#include "platform/SharedFile.h"
#include "support/TestContext.h"
#include "ftp/FtpList.h"
#include "platform/TextFile.h"
#include "support/TestMain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QDir>

namespace {

QList<QStringList> rowsNamed(int n)
{
    QList<QStringList> rows;
    for (int i = 0; i < n; ++i)
        rows << QStringList {QStringLiteral("人%1").arg(i), QStringLiteral("在席")};
    return rows;
}

QStringList names(const ListEditorCore& core)
{
    QStringList out;
    for (const QStringList& r : core.rows())
        out << r.value(0);
    return out;
}

} // namespace

class TestListEditorCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addStopsAtTheLimit()
    {
        ListEditorCore core(100);
        core.load(rowsNamed(99));
        QVERIFY(!core.modified());
        QVERIFY(core.canAdd());
        QVERIFY(core.add({QStringLiteral("新人")}));
        QCOMPARE(core.count(), 100);
        QCOMPARE(core.selected(), 99);
        QVERIFY(core.modified());
        QVERIFY(!core.canAdd());
        QVERIFY(!core.add({QStringLiteral("もう一人")}));
        QCOMPARE(core.count(), 100);
        core.select(10);
        QVERIFY(core.remove());
        QVERIFY(core.canAdd());
    }

    void loadNeverKeepsMoreThanTheTable()
    {
        ListEditorCore core(3);
        core.load(rowsNamed(5));
        QCOMPARE(core.count(), 3);
    }

    void deleteSelectsTheNextOrTheNewLast_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("select");
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<int>("selectedAfter");
        QTest::addColumn<QStringList>("namesAfter");
        QTest::newRow("last") << 3 << 2 << true << 1 << QStringList {"人0", "人1"};
        QTest::newRow("middle") << 3 << 1 << true << 1 << QStringList {"人0", "人2"};
        QTest::newRow("first") << 3 << 0 << true << 0 << QStringList {"人1", "人2"};
        QTest::newRow("only line") << 1 << 0 << true << -1 << QStringList {};
    }
    void deleteSelectsTheNextOrTheNewLast()
    {
        QFETCH(int, rows);
        QFETCH(int, select);
        QFETCH(bool, deleted);
        QFETCH(int, selectedAfter);
        QFETCH(QStringList, namesAfter);
        ListEditorCore core(100);
        core.load(rowsNamed(rows));
        core.select(select);
        QCOMPARE(core.canDelete(), deleted);
        QCOMPARE(core.remove(), deleted);
        QCOMPARE(core.selected(), selectedAfter);
        QCOMPARE(names(core), namesAfter);
        QCOMPARE(core.modified(), deleted);
        QCOMPARE(core.canDelete(), !namesAfter.isEmpty());
    }

    void movesAtTheEndsAreRefused_data()
    {
        QTest::addColumn<int>("select");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QStringList>("namesAfter");
        QTest::addColumn<int>("selectedAfter");
        QTest::newRow("up from top") << 0 << true << false << QStringList {"人0", "人1", "人2"} << 0;
        QTest::newRow("up") << 2 << true << true << QStringList {"人0", "人2", "人1"} << 1;
        QTest::newRow("down") << 0 << false << true << QStringList {"人1", "人0", "人2"} << 1;
        QTest::newRow("down from bottom") << 2 << false << false << QStringList {"人0", "人1", "人2"} << 2;
    }
    void movesAtTheEndsAreRefused()
    {
        QFETCH(int, select);
        QFETCH(bool, up);
        QFETCH(bool, moved);
        QFETCH(QStringList, namesAfter);
        QFETCH(int, selectedAfter);
        ListEditorCore core(100);
        core.load(rowsNamed(3));
        core.select(select);
        QCOMPARE(up ? core.moveUp() : core.moveDown(), moved);
        QCOMPARE(names(core), namesAfter);
        QCOMPARE(core.selected(), selectedAfter);
        QCOMPARE(core.modified(), moved);
    }

    // A renamed row is still matched with the file by the name it had at opening;
    // a row added since has no origin. Moves carry the origin along.
    void originsFollowRenamesAndMoves()
    {
        ListEditorCore core(100);
        core.load(rowsNamed(3));
        core.select(1);
        QVERIFY(core.change({QStringLiteral("改名"), QStringLiteral("在席")}));
        QVERIFY(core.moveUp());
        QVERIFY(core.add({QStringLiteral("新人")}));
        QCOMPARE(names(core), (QStringList {"改名", "人0", "人2", "新人"}));
        QCOMPARE(core.originOf(0), QStringLiteral("人1"));
        QCOMPARE(core.originOf(1), QStringLiteral("人0"));
        QCOMPARE(core.originOf(3), QString());
        core.markSaved();
        QVERIFY(!core.modified());
        QCOMPARE(core.originOf(0), QStringLiteral("改名"));
        QCOMPARE(core.originOf(3), QStringLiteral("新人"));
    }

    // Another copy changed whereabouts after the editor opened the file; the
    // editor renamed one person, moved rows and added one.
    void saveKeepsTheWhereaboutsOfNow()
    {
        auto row = [](const char* name, const char* dest, const char* login, const char* ext) {
            return BoardRow {QString::fromUtf8(name), QString::fromUtf8(dest), QString::fromUtf8(login),
                             QStringLiteral("12/10 09:00"), QString(), QString::fromUtf8(ext),
                             QString()};
        };
        const QList<BoardRow> edited {row("鈴木", "", "0", "101"), row("佐藤改", "", "0", "102"),
                                      row("区切り線", "", "9", ""), row("新人", "", "0", "")};
        const QStringList origins {"鈴木", "佐藤", "区切り線", ""};
        const QList<BoardRow> current {row("佐藤", "出張", "1", "202"), row("区切り線", "x", "9", ""),
                                       row("鈴木", "会議", "1", "201"), row("田中", "外出", "1", "")};
        const QList<BoardRow> saved = carryOverWhereabouts(edited, origins, current);
        const QList<BoardRow> expected {row("鈴木", "会議", "1", "201"), row("佐藤改", "出張", "1", "202"),
                                        row("区切り線", "", "9", ""), row("新人", "", "0", "")};
        QCOMPARE(saved.size(), expected.size());
        for (int i = 0; i < saved.size(); ++i)
            QCOMPARE(saved[i].fields(), expected[i].fields());
    }

    void duplicatesFoundExceptTheRowItself()
    {
        ListEditorCore core(100);
        core.load(rowsNamed(3));
        QCOMPARE(core.indexOf(QStringLiteral("人2")), 2);
        QCOMPARE(core.indexOf(QStringLiteral("人2"), 0, 2), -1);
        QCOMPARE(core.indexOf(QStringLiteral("誰か")), -1);
    }
};

class TestListEditorRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void badCharacters_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<bool>("refused");
        QTest::newRow("plain") << QStringList {"山田", "pa ss"} << false;
        QTest::newRow("quote in password") << QStringList {"山田", "pa\"ss"} << true;
        QTest::newRow("CR") << QStringList {"山\r田"} << true;
        QTest::newRow("LF") << QStringList {"x", "山\n田"} << true;
        QTest::newRow("empty") << QStringList {} << false;
    }
    void badCharacters()
    {
        QFETCH(QStringList, fields);
        QFETCH(bool, refused);
        QCOMPARE(!ListEditorRules::badCharacterMessage(fields).isEmpty(), refused);
    }

    void usableNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("usable");
        QTest::newRow("name") << "山田" << true;
        QTest::newRow("blanks") << "   " << false;
        QTest::newRow("full-width blank") << "\u3000" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("separator") << "区切り線" << false;
        QTest::newRow("separator padded") << " 区切り線 " << false;
    }
    void usableNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, usable);
        QCOMPARE(ListEditorRules::isUsableName(name, QStringLiteral("区切り線")), usable);
    }

    void fileNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("required");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("exact") << "/share/ban.txt" << "ban.txt" << true;
        QTest::newRow("case variant") << "/share/BAN.Txt" << "ban.txt" << true;
        QTest::newRow("other name") << "/share/board.txt" << "ban.txt" << false;
        QTest::newRow("folder named so") << "/ban.txt/x.txt" << "ban.txt" << false;
        QTest::newRow("ftp list") << "/home/a/FTPSET.TXT" << "ftpset.txt" << true;
        QTest::newRow("any name") << "/share/kyoto.txt" << "" << true;
    }
    void fileNames()
    {
        QFETCH(QString, path);
        QFETCH(QString, required);
        QFETCH(bool, allowed);
        QCOMPARE(ListEditorRules::fileNameAllowed(path, required), allowed);
    }

    void renumbering_data()
    {
        QTest::addColumn<QStringList>("edited");
        QTest::addColumn<QStringList>("warned");
        QTest::newRow("unchanged, one added") << QStringList {"総務", "営業", "開発", ""} << QStringList {};
        QTest::newRow("first deleted")
            << QStringList {"営業", "開発"} << QStringList {"総務 (1→削除)", "営業 (2→1)", "開発 (3→2)"};
        QTest::newRow("last deleted") << QStringList {"総務", "営業"} << QStringList {"開発 (3→削除)"};
        QTest::newRow("moved up") << QStringList {"総務", "開発", "営業"}
                                  << QStringList {"営業 (2→3)", "開発 (3→2)"};
        QTest::newRow("inserted before") << QStringList {"", "総務", "営業", "開発"}
                                         << QStringList {"総務 (1→2)", "営業 (2→3)", "開発 (3→4)"};
    }
    void renumbering()
    {
        QFETCH(QStringList, edited);
        QFETCH(QStringList, warned);
        QCOMPARE(ListEditorRules::renumberedGroups({"総務", "営業", "開発"}, edited), warned);
    }

    void stampSeesAnotherWriter()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("list.txt"));
        QCOMPARE(TextFile::writeLines(path, {QStringLiteral("a")}), 0);
        ListEditorRules::FileStamp stamp;
        QVERIFY(!stamp.changedSince());
        stamp.take(path);
        QVERIFY(!stamp.changedSince());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(f.fileTime(QFileDevice::FileModificationTime).addSecs(5),
                              QFileDevice::FileModificationTime));
        f.close();
        QVERIFY(stamp.changedSince());
        stamp.take(path);
        QVERIFY(!stamp.changedSince());
        QVERIFY(QFile::remove(path));
        QVERIFY(stamp.changedSince());
    }
};

class TestFtpListWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fullListRoundTripsOwnerOnlyWithBackup()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ftpset.txt"));
        FtpListTable table {};
        for (int i = 0; i < 99; ++i) {
            FtpListEntry& e = table[std::size_t(i)];
            e.upDown = i % 2;
            e.serverName = QStringLiteral("ftp%1.example.jp").arg(i);
            e.serverPath = QStringLiteral("/掲示板/%1").arg(i);
            e.userName = QStringLiteral("利用者");
            e.password = QStringLiteral(" p,a ss%1 ").arg(i);
            e.boardFilePath = QStringLiteral("/share/ban%1.txt").arg(i);
        }
        QCOMPARE(writeFtpList(path, table, 1), 0);
        QVERIFY(!QFile::exists(path + ".bak"));
        QCOMPARE(writeFtpList(path, table, 99), 0);
        const FtpListReadResult back = readFtpList(path);
        QCOMPARE(back.status, FtpListStatus::Loaded);
        QCOMPARE(back.count, 99);
        QVERIFY(back.table == table);
        QCOMPARE(readFtpList(path + ".bak").count, 1);
        const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther
                            | QFileDevice::WriteOther;
        for (const QString& p : QStringList {path, path + ".bak"}) {
            QVERIFY(QFile::permissions(p) & QFileDevice::ReadOwner);
            QVERIFY(!(QFile::permissions(p) & others));
        }
        QVERIFY(!QFile::exists(path + ".lck"));
    }

    // A .bak that cannot be replaced (a folder with something in it) stops the
    // write before the list is touched.
    void failedWriteKeepsTheOldList()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ftpset.txt"));
        FtpListTable table {};
        table[0].serverName = QStringLiteral("old");
        QCOMPARE(writeFtpList(path, table, 1), 0);
        QVERIFY(QDir().mkpath(path + ".bak/x"));
        table[0].serverName = QStringLiteral("new");
        QVERIFY(writeFtpList(path, table, 1) != 0);
        QCOMPARE(readFtpList(path).table[0].serverName, QStringLiteral("old"));
        QVERIFY(writeFtpList(dir.filePath(QStringLiteral("gone/ftpset.txt")), table, 1) != 0);
    }
};

class TestBoardEditSave : public QObject
{
    Q_OBJECT

    static BoardRow person(const QString& name, const QString& dest = {})
    {
        return BoardRow {name, dest, QStringLiteral("0"), QStringLiteral("99:99 99/99"), {}, {}, {}};
    }

private Q_SLOTS:
    // Opened with 3 people; meanwhile another copy sets 佐藤's destination; the
    // editor renames 佐藤, deletes 田中 and saves: the destination survives, the
    // old content is in ".bak", the main window's rows are untouched.
    void saveUnderTheClaimKeepsOthersUpdates()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.iki"));
        QCOMPARE(SharedFile::replace(path, BoardFile::format({person("鈴木"), person("佐藤"), person("田中")}), false), 0);
        TestUser editor;
        editor.ctx().board().waits.pause = [](int) {};
        ListEditorCore core(100);
        QList<QStringList> opened;
        for (const BoardRow& r : BoardFile::parse(BoardFile::read(path).bytes).rows)
            opened << r.fields();
        core.load(opened);

        TestUser other;
        other.ctx().board().waits.pause = [](int) {};
        QCOMPARE(runUpdateCycle(other.ctx(), -1, path,
                                [](QList<BoardRow>& rows) { rows[1].destination = QStringLiteral("出張"); }),
                 CycleResult::Written);

        core.select(1);
        QVERIFY(core.change(person("佐藤花子").fields()));
        core.select(2);
        QVERIFY(core.remove());
        const QList<BoardRow> mainRows {person("表示中")};
        editor.ctx().board().rows = mainRows;
        QList<BoardRow> rows;
        QStringList origins;
        for (int i = 0; i < core.count(); ++i) {
            rows << BoardRow::fromFields(core.rows()[i]);
            origins << core.originOf(i);
        }
        QCOMPARE(saveEditedBoard(editor.ctx(), path, rows, origins), CycleResult::Written);
        const QList<BoardRow> saved = BoardFile::parse(BoardFile::read(path).bytes).rows;
        QCOMPARE(saved.size(), 2);
        QCOMPARE(saved[1].name, QStringLiteral("佐藤花子"));
        QCOMPARE(saved[1].destination, QStringLiteral("出張"));
        QCOMPARE(BoardFile::parse(BoardFile::read(path + ".bak").bytes).rows.size(), 3);
        QVERIFY(editor.ctx().board().rows == mainRows);
        QVERIFY(editor.box().shown().isEmpty());
    }

    // 60 rows go out whole (the file's old lines after the 50th are not kept
    // twice); a missing file is created.
    void longAndNewBoards()
    {
        QTemporaryDir dir;
        TestUser editor;
        editor.ctx().board().waits.pause = [](int) {};
        QList<BoardRow> rows;
        QStringList origins;
        for (int i = 0; i < 60; ++i) {
            rows << person(QStringLiteral("人%1").arg(i));
            origins << QString();
        }
        const QString path = dir.filePath(QStringLiteral("new.iki"));
        QCOMPARE(saveEditedBoard(editor.ctx(), path, rows, origins), CycleResult::Written);
        QCOMPARE(saveEditedBoard(editor.ctx(), path, rows, origins), CycleResult::Written);
        QCOMPARE(TextFile::readLines(path).lines.size(), 60);
        QVERIFY(!QFile::exists(path + ".lck"));
    }
};

PORLUNE_TEST_MAIN(TestListEditorCore, TestListEditorRules, TestFtpListWriter, TestBoardEditSave)

#include "tst_editors.moc"
