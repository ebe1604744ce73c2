#include "board/BoardAccess.h"
#include "board/BoardFile.h"
#include "board/BoardState.h"
#include "board/MainHost.h"
#include "board/frmMain.h"
#include "dialogs/frmKFEdit.h"
#include "dialogs/frmKLEdit.h"
#include "ftp/FtpList.h"
#include "ftp/frmFTPEdit.h"
#include "platform/QuotedCsv.h"
#include "platform/TextFile.h"
#include "support/Controls.h"
#include "support/FakeMainHost.h"
#include "support/FileSizeCap.h"
#include "support/SharedPlace.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {

enum class Kind { Board, List, Ftp };

QString boardLine(const QString& name, const QString& dest = {}, const QString& login = QStringLiteral("0"))
{
    return QuotedCsv::formatTextLine({name, dest, login, QStringLiteral("12/01 09:00"), QStringLiteral("17:00"),
                                      QStringLiteral("123"), name + QStringLiteral("@example.jp")});
}

QString listLine(int number, const QString& name, const QString& path)
{
    return QuotedCsv::formatLine({QuotedCsv::number(number), QuotedCsv::text(name), QuotedCsv::text(path)});
}

QString ftpLine(int upDown, const QString& server, const QString& board)
{
    return formatFtpListLine({upDown, server, QStringLiteral("/pub/a.iki"), QStringLiteral("user"),
                              QStringLiteral("pa ss"), board});
}

// n lines of the kind's file.
QStringList fileLines(Kind kind, int n, const QString& board)
{
    QStringList lines;
    for (int i = 0; i < n; ++i) {
        const QString name = QStringLiteral("人%1").arg(i);
        lines << (kind == Kind::Board ? boardLine(name)
                  : kind == Kind::List ? listLine(i + 1, name, board)
                                       : ftpLine(i % 2, QStringLiteral("ftp%1.example.jp").arg(i), board));
    }
    return lines;
}

QString fileNameOf(Kind kind)
{
    return kind == Kind::Board ? QStringLiteral("soumu.iki")
           : kind == Kind::List ? QStringLiteral("ban.txt")
                                : QStringLiteral("ftpset.txt");
}

std::unique_ptr<ListEditorWindow> makeEditor(Kind kind, TestUser& u, MainHost& host)
{
    if (kind == Kind::Board)
        return std::make_unique<frmKFEdit>(u.ctx(), host);
    if (kind == Kind::List)
        return std::make_unique<frmKLEdit>(u.ctx(), host);
    return std::make_unique<frmFTPEdit>(u.ctx(), host);
}

// Types a new line's inputs as a user would.
void typeLine(Kind kind, ListEditorWindow& ed, const QString& name, const QString& board)
{
    if (kind == Kind::Ftp) {
        control<QLineEdit>(&ed, "txtServerName")->setText(name);
        control<QLineEdit>(&ed, "txtServerPath")->setText(QStringLiteral("/x.iki"));
        control<QLineEdit>(&ed, "txtUserName")->setText(QStringLiteral("u"));
        control<QLineEdit>(&ed, "txtPass")->setText(QStringLiteral("p"));
    } else {
        control<QLineEdit>(&ed, "txtName")->setText(name);
    }
    if (kind != Kind::Board)
        control<QLabel>(&ed, "lblKeijiban")->setText(board);
}

bool enabled(const ListEditorWindow& ed, const char* button)
{
    return control<QPushButton>(&ed, button)->isEnabled();
}

QStringList listTexts(const ListEditorWindow& ed)
{
    QStringList out;
    auto* l = control<QListWidget>(&ed, "lstName");
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}

struct Office {
    QTemporaryDir dir;
    QString folder;
    TestUser u;
    FakeMainHost host;
    QString board;
    // The shared files in folder, or in a temporary folder of the test's own.
    explicit Office(const QString& sharedFolder = {})
        : folder(sharedFolder.isEmpty() ? dir.path() : sharedFolder)
    {
        u.loadSettings();
        u.ctx().board().waits.pause = [](int) {};
        board = path(QStringLiteral("soumu.iki"));
        TextFile::writeLines(board, {boardLine(QStringLiteral("鈴木"), QStringLiteral("会議室"), QStringLiteral("1")),
                                     boardLine(QStringLiteral("佐藤")),
                                     QuotedCsv::formatTextLine({QStringLiteral("区切り線"), {}, QStringLiteral("9"), {}, {}, {}, {}}),
                                     boardLine(QStringLiteral("田中"))});
    }
    QString path(const QString& name) const { return Paths::join(folder, name); }
    // A file of the kind's own name with lines lines, opened in its editor.
    std::unique_ptr<ListEditorWindow> openedWithLines(Kind kind, int lines, QString* file)
    {
        *file = path(fileNameOf(kind));
        TextFile::writeLines(*file, fileLines(kind, lines, board));
        return opened(kind, *file);
    }
    // An editor with path opened in it.
    std::unique_ptr<ListEditorWindow> opened(Kind kind, const QString& file)
    {
        auto ed = makeEditor(kind, u, host);
        u.dialogs().queuePath(file);
        ed->mnuFileOpen_Click();
        return ed;
    }
};

} // namespace

class TestEditorWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nameRefusals_data()
    {
        QTest::addColumn<bool>("change");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::newRow("separator text") << false << "区切り線" << "この名前は使用できません" << "名前入力エラー";
        QTest::newRow("blanks") << false << "　 " << "この名前は使用できません" << "名前入力エラー";
        QTest::newRow("duplicate") << false << " 佐藤 " << "同じ名前の人がリスト内にいます" << "名前入力エラー";
        QTest::newRow("change to own name") << true << "鈴木" << "同じ名前の人がリスト内にいます" << "名前入力エラー";
        QTest::newRow("quote") << false << "O\"Neil" << "ダブルクォーテーション（\"）と改行は使用できません" << "入力エラー";
        QTest::newRow("line feed on change") << true << "鈴\n木" << "ダブルクォーテーション（\"）と改行は使用できません" << "入力エラー";
    }
    void nameRefusals()
    {
        QFETCH(bool, change);
        QFETCH(QString, name);
        QFETCH(QString, message);
        QFETCH(QString, title);
        Office o;
        auto ed = o.opened(Kind::Board, o.board);
        const QStringList before = listTexts(*ed);
        control<QLineEdit>(ed.get(), "txtName")->setText(name);
        change ? ed->cmdChange_Click() : ed->cmdAdd_Click();
        QCOMPARE(o.u.box().texts(), QStringList {message});
        QCOMPARE(o.u.box().shown()[0].title, title);
        QCOMPARE(o.u.box().shown()[0].icon, MsgIcon::Stop);
        QVERIFY(o.u.box().shown()[0].systemModal);
        QCOMPARE(listTexts(*ed), before);
        QVERIFY(!ed->core().modified());
    }

    // Each editor's limit: the last line it may make disables "追加" (and
    // "区切り線"), deleting one enables it again.
    void addLimits_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("limit");
        QTest::newRow("board file 100 rows") << int(Kind::Board) << 100;
        QTest::newRow("board list 20 groups") << int(Kind::List) << 20;
        QTest::newRow("FTP list 99 entries") << int(Kind::Ftp) << 99;
    }
    void addLimits()
    {
        QFETCH(int, kind);
        QFETCH(int, limit);
        const Kind k = Kind(kind);
        Office o;
        QString file;
        auto ed = o.openedWithLines(k, limit - 1, &file);
        QCOMPARE(ed->core().count(), limit - 1);
        QVERIFY(enabled(*ed, "cmdAdd"));
        typeLine(k, *ed, QStringLiteral("最後の一行"), o.board);
        ed->cmdAdd_Click();
        QCOMPARE(ed->core().count(), limit);
        QCOMPARE(control<QListWidget>(ed.get(), "lstName")->currentRow(), limit - 1);
        QVERIFY(!enabled(*ed, "cmdAdd"));
        typeLine(k, *ed, QStringLiteral("もう一行"), o.board);
        ed->cmdAdd_Click();
        if (k == Kind::Board)
            control<QPushButton>(ed.get(), "cmdLine")->click();
        QCOMPARE(ed->core().count(), limit);
        QVERIFY(o.u.box().shown().isEmpty());
        ed->lstName_Click(3);
        ed->cmdDel_Click();
        QVERIFY(enabled(*ed, "cmdAdd"));
    }

    void deleteAndMoveButtons()
    {
        Office o;
        auto ed = o.opened(Kind::Board, o.board);
        ed->lstName_Click(3);
        QVERIFY(!enabled(*ed, "cmdDown"));
        ed->cmdDel_Click();
        QCOMPARE(ed->core().selected(), 2);
        // The separator is selected: it cannot be renamed, only moved or deleted.
        QVERIFY(!enabled(*ed, "cmdChange"));
        QVERIFY(!enabled(*ed, "cmdDown"));
        ed->cmdUp_Click();
        QCOMPARE(listTexts(*ed), (QStringList {"鈴木", "区切り線", "佐藤"}));
        QCOMPARE(ed->core().selected(), 1);
        ed->lstName_Click(0);
        QVERIFY(!enabled(*ed, "cmdUp"));
        QCOMPARE(control<QLineEdit>(ed.get(), "txtName")->text(), QStringLiteral("鈴木"));
        ed->cmdDel_Click();
        ed->cmdDel_Click();
        QVERIFY(enabled(*ed, "cmdDel"));
        ed->cmdDel_Click();
        QCOMPARE(ed->core().count(), 0);
        QVERIFY(!enabled(*ed, "cmdDel"));
        QVERIFY(!enabled(*ed, "cmdChange"));
    }

    // Opened with four rows; meanwhile another copy (through the other mount
    // on the share) sets 佐藤's destination; the editor renames 鈴木 and adds a
    // person: the save warns, keeps 佐藤's new destination and 鈴木's fields,
    // leaves the old file in ".bak"; the next save asks the plain question.
    void boardSaveKeepsWhereaboutsAndWarns_data() { SHARED_PLACES_TWO_MOUNTS_DATA(); }
    void boardSaveKeepsWhereaboutsAndWarns()
    {
        QFETCH(SharedPlace::Kind, place);
        SHARED_PLACE(shared, place);
        Office o(shared.path());
        const QByteArray original = BoardFile::read(o.board).bytes;
        auto ed = o.opened(Kind::Board, o.board);
        QCOMPARE(ed->windowTitle(), QStringLiteral("掲示板ファイルエディタ - soumu.iki"));
        TestUser other;
        other.ctx().board().waits.pause = [](int) {};
        QTest::qWait(1100); // the file time has a second's resolution on some shares
        QCOMPARE(runUpdateCycle(other.ctx(), -1, shared.file2(QStringLiteral("soumu.iki")),
                                [](QList<BoardRow>& rows) { rows[1].destination = QStringLiteral("出張"); }),
                 CycleResult::Written);

        ed->lstName_Click(0);
        control<QLineEdit>(ed.get(), "txtName")->setText(QStringLiteral("鈴木一郎"));
        ed->cmdChange_Click();
        control<QLineEdit>(ed.get(), "txtName")->setText(QStringLiteral("新人"));
        ed->cmdAdd_Click();
        o.u.box().queueAnswer(MsgResult::Yes);
        ed->mnuUSave_Click();
        QCOMPARE(o.u.box().shown().size(), 1);
        QCOMPARE(o.u.box().shown()[0].text,
                 o.board + QStringLiteral("\nの内容は作業中に更新されましたが、上書きしてもよろしいですか？"));
        QCOMPARE(o.u.box().shown()[0].icon, MsgIcon::Stop);
        QCOMPARE(o.u.box().shown()[0].defaultButton, 1);
        QVERIFY(!ed->core().modified());

        const QList<BoardRow> saved = BoardFile::parse(BoardFile::read(o.board).bytes).rows;
        QCOMPARE(saved.size(), 5);
        BoardRow renamed = BoardFile::parse(original).rows[0];
        renamed.name = QStringLiteral("鈴木一郎");
        QCOMPARE(saved[0], renamed);
        QCOMPARE(saved[1].destination, QStringLiteral("出張"));
        QCOMPARE(saved[4], (BoardRow {QStringLiteral("新人"), {}, QStringLiteral("0"), QStringLiteral("99:99 99/99"), {}, {}, {}}));
        QVERIFY(QFile::exists(o.board + ".bak"));

        o.u.box().clear();
        o.u.box().queueAnswer(MsgResult::Yes);
        ed->mnuUSave_Click();
        QCOMPARE(o.u.box().texts(), QStringList {o.board + QStringLiteral("\nを上書きしてもよろしいですか？")});
        QCOMPARE(o.u.box().shown()[0].icon, MsgIcon::Question);
        // No (the default) writes nothing.
        const QByteArray now = BoardFile::read(o.board).bytes;
        ed->lstName_Click(1);
        ed->cmdDel_Click();
        ed->mnuUSave_Click();
        QCOMPARE(BoardFile::read(o.board).bytes, now);
        QVERIFY(ed->core().modified());
    }

    void moreThanFiftyRowsWarns()
    {
        Office o;
        const QString file = o.path(QStringLiteral("big.iki"));
        TextFile::writeLines(file, fileLines(Kind::Board, 51, {}));
        auto ed = o.opened(Kind::Board, file);
        ed->lstName_Click(0);
        ed->cmdDel_Click();
        control<QLineEdit>(ed.get(), "txtName")->setText(QStringLiteral("追加の人"));
        ed->cmdAdd_Click();
        o.u.box().queueAnswer(MsgResult::Yes); // overwrite
        ed->mnuUSave_Click();                  // then the 50-row warning: No (default)
        QCOMPARE(o.u.box().shown().size(), 2);
        QVERIFY(o.u.box().shown()[1].text.contains(QStringLiteral("51行目以降の1行")));
        QCOMPARE(TextFile::readLines(file).lines, fileLines(Kind::Board, 51, {}));
        QVERIFY(ed->core().modified());
    }

    void newWithUnsavedChanges_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("countAfter");
        QTest::addColumn<bool>("savedFirst");
        QTest::newRow("cancel keeps all") << int(MsgResult::Cancel) << 5 << false;
        QTest::newRow("no discards") << int(MsgResult::No) << 0 << false;
        QTest::newRow("yes saves first") << int(MsgResult::Yes) << 0 << true;
    }
    void newWithUnsavedChanges()
    {
        QFETCH(int, answer);
        QFETCH(int, countAfter);
        QFETCH(bool, savedFirst);
        Office o;
        auto ed = o.opened(Kind::Board, o.board);
        control<QLineEdit>(ed.get(), "txtName")->setText(QStringLiteral("新人"));
        ed->cmdAdd_Click();
        o.u.box().queueAnswer(MsgResult(answer));
        ed->mnuNewFile_Click();
        QCOMPARE(o.u.box().texts(), QStringList {QStringLiteral("\"soumu.iki\"は変更されています。保存しますか？")});
        QCOMPARE(o.u.box().shown()[0].buttons, MsgButtons::YesNoCancel);
        QCOMPARE(ed->core().count(), countAfter);
        QCOMPARE(BoardFile::parse(BoardFile::read(o.board).bytes).rows.size(), savedFirst ? 5 : 4);
        if (countAfter == 0) {
            QCOMPARE(ed->windowTitle(), QStringLiteral("掲示板ファイルエディタ - NewFile.iki"));
            QVERIFY(!control<QAction>(ed.get(), "mnuUSave")->isEnabled());
            // The new, empty list saves as zero lines.
            const QString empty = o.path(QStringLiteral("empty.iki"));
            o.u.dialogs().queuePath(empty);
            ed->mnuNSave_Click();
            QVERIFY(QFile::exists(empty));
            QCOMPARE(QFile(empty).size(), 0);
            QVERIFY(!QFile::exists(empty + ".bak"));
            QCOMPARE(ed->windowTitle(), QStringLiteral("掲示板ファイルエディタ - empty.iki"));
        }
    }

    // The unsaved-changes question of a list that never had a file: Yes asks
    // for a name with the New filter; a failed or refused save keeps the work.
    void unnamedListSavedFromThePrompt()
    {
        Office o;
        auto ed = makeEditor(Kind::Board, o.u, o.host);
        control<QLineEdit>(ed.get(), "txtName")->setText(QStringLiteral("新人"));
        ed->cmdAdd_Click();
        o.u.box().queueAnswer(MsgResult::Yes);
        ed->mnuNewFile_Click(); // the save dialog is cancelled
        QCOMPARE(o.u.box().texts(), QStringList {QStringLiteral("\"NewFile.iki\"は変更されています。保存しますか？")});
        QCOMPARE(o.u.dialogs().asked().last().filter, toQtFilter(QStringLiteral("行き先ファイル（*.iki）|*.iki")));
        QCOMPARE(ed->core().count(), 1);
        const QString target = o.path(QStringLiteral("new.iki"));
        o.u.box().queueAnswer(MsgResult::Yes);
        o.u.dialogs().queuePath(target);
        ed->mnuNewFile_Click();
        QCOMPARE(ed->core().count(), 0);
        QCOMPARE(BoardFile::parse(BoardFile::read(target).bytes).rows[0].name, QStringLiteral("新人"));
    }

    void closingWithUnsavedChangesAsks()
    {
        Office o;
        auto ed = o.opened(Kind::Board, o.board);
        ed->show();
        ed->lstName_Click(0);
        ed->cmdDel_Click();
        o.u.box().queueAnswer(MsgResult::Cancel);
        ed->close();
        QVERIFY(ed->isVisible());
        o.u.box().queueAnswer(MsgResult::No);
        ed->close();
        QVERIFY(!ed->isVisible());
        QCOMPARE(o.u.box().shown().size(), 2);
        QCOMPARE(BoardFile::parse(BoardFile::read(o.board).bytes).rows.size(), 4);
    }

    // A write that fails is no save: still modified, the old file whole, and
    // the next overwrite still sees the file as it was read.
    void failedWriteIsNoSave_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("report");
        QTest::newRow("board file") << int(Kind::Board) << "(Ikifile_Write)";
        QTest::newRow("board list") << int(Kind::List) << "(Banfile_Write)";
        QTest::newRow("FTP list") << int(Kind::Ftp) << "(FtpSetFile_Write)";
    }
    void failedWriteIsNoSave()
    {
        QFETCH(int, kind);
        QFETCH(QString, report);
        const Kind k = Kind(kind);
        Office o;
        QString file;
        auto ed = o.openedWithLines(k, 3, &file);
        const QByteArray before = BoardFile::read(file).bytes;
        typeLine(k, *ed, QStringLiteral("追加の行"), o.board);
        ed->cmdAdd_Click();
        o.u.box().queueAnswer(MsgResult::Yes);
        {
            FileSizeCap cap(16);
            QVERIFY(cap.active());
            ed->mnuUSave_Click();
        }
        QCOMPARE(o.u.box().shown().size(), 2);
        QVERIFY2(o.u.box().shown()[1].text.startsWith(report + file), qPrintable(o.u.box().shown()[1].text));
        QVERIFY(ed->core().modified());
        QCOMPARE(BoardFile::read(file).bytes, before);
    }

    // Files longer than the table, or with a line that is no record, are
    // refused whole with the editor's read-error message.
    void unfitFilesRefused_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("cutLine");
        QTest::addColumn<QString>("message");
        QTest::newRow("board 100 rows") << int(Kind::Board) << 100 << false << QString();
        QTest::newRow("board 101 rows") << int(Kind::Board) << 101 << false << "掲示板ファイルに異常があります";
        QTest::newRow("board row cut short") << int(Kind::Board) << 3 << true << "掲示板ファイルに異常があります";
        QTest::newRow("list 21 lines") << int(Kind::List) << 21 << false << QString();
        QTest::newRow("list 22 lines") << int(Kind::List) << 22 << false << "掲示板リストに異常があります";
        QTest::newRow("list line cut short") << int(Kind::List) << 2 << true << "掲示板リストに異常があります";
        QTest::newRow("FTP 100 entries") << int(Kind::Ftp) << 100 << false << QString();
        QTest::newRow("FTP 101 entries") << int(Kind::Ftp) << 101 << false << "FTPリストに異常があります";
        QTest::newRow("FTP entry cut short") << int(Kind::Ftp) << 2 << true << "FTPリストに異常があります";
    }
    void unfitFilesRefused()
    {
        QFETCH(int, kind);
        QFETCH(int, lines);
        QFETCH(bool, cutLine);
        QFETCH(QString, message);
        const Kind k = Kind(kind);
        Office o;
        const QString file = o.path(fileNameOf(k));
        QStringList content = fileLines(k, lines, o.board);
        if (cutLine)
            content << QStringLiteral("1,\"途中");
        TextFile::writeLines(file, content);
        auto ed = makeEditor(k, o.u, o.host);
        const QString caption = ed->windowTitle();
        o.u.dialogs().queuePath(file);
        ed->mnuFileOpen_Click();
        if (message.isEmpty()) {
            QVERIFY(o.u.box().shown().isEmpty());
            QCOMPARE(ed->core().count(), lines);
            QVERIFY(!enabled(*ed, "cmdAdd")); // a full table, more than may be made
            return;
        }
        QCOMPARE(o.u.box().texts(), QStringList {message});
        QCOMPARE(ed->core().count(), 0);
        QCOMPARE(ed->windowTitle(), caption);
        QVERIFY(!ed->hasFile());
    }

    void requiredFileNames_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("list: other name") << int(Kind::List) << "list.txt" << false;
        QTest::newRow("list: case variant") << int(Kind::List) << "BAN.TXT" << true;
        QTest::newRow("FTP: other name") << int(Kind::Ftp) << "ftpset.bak" << false;
        QTest::newRow("FTP: case variant") << int(Kind::Ftp) << "FtpSet.Txt" << true;
        QTest::newRow("board: any name") << int(Kind::Board) << "kaigi.iki" << true;
    }
    void requiredFileNames()
    {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(bool, allowed);
        const Kind k = Kind(kind);
        Office o;
        const QString target = o.path(name);
        auto ed = makeEditor(k, o.u, o.host);
        typeLine(k, *ed, QStringLiteral("一行"), o.board);
        ed->cmdAdd_Click();
        o.u.dialogs().queuePath(target);
        ed->mnuNSave_Click();
        QCOMPARE(QFile::exists(target), allowed);
        QCOMPARE(ed->core().modified(), !allowed);
        if (!allowed) {
            QCOMPARE(o.u.box().texts(),
                     QStringList {QStringLiteral("ファイル名には必ず「%1」を指定して下さい").arg(fileNameOf(k))});
            QCOMPARE(o.u.box().shown()[0].title, QStringLiteral("ファイル名指定エラー"));
            // Opening under such a name is refused the same way, nothing read.
            TextFile::writeLines(target, fileLines(k, 2, o.board));
            o.u.box().clear();
            o.u.box().queueAnswer(MsgResult::No); // the unsaved line: go on without saving
            o.u.dialogs().queuePath(target);
            ed->mnuFileOpen_Click();
            QCOMPARE(o.u.box().shown().size(), 2);
            QCOMPARE(o.u.box().shown()[1].title, QStringLiteral("ファイル名指定エラー"));
            QCOMPARE(ed->core().count(), 1);
        } else {
            QCOMPARE(ed->windowTitle().endsWith(QStringLiteral(" - ") + name), true);
            // Save as over the file now there asks first; No (the default) keeps it.
            ed->cmdDel_Click();
            const QByteArray kept = BoardFile::read(target).bytes;
            o.u.dialogs().queuePath(target);
            ed->mnuNSave_Click();
            QCOMPARE(o.u.box().texts().last(), QStringLiteral("同名のファイルが存在します\n上書きしてもよろしいですか？"));
            QCOMPARE(BoardFile::read(target).bytes, kept);
        }
    }

    // Deleting the first of three groups renumbers the rest: the save names the
    // groups whose number changes; saved over the list in use, it asks for a
    // restart; a copy elsewhere does not.
    void boardListRenumbering()
    {
        Office o;
        const QString inUse = o.path(QStringLiteral("ban.txt"));
        TextFile::writeLines(inUse, {listLine(1, QStringLiteral("総務部"), o.board), listLine(2, QStringLiteral("営業部"), o.board),
                                     listLine(3, QStringLiteral("営業部"), o.board)});
        o.u.ctx().iniFile().store(19, inUse);
        auto ed = o.opened(Kind::List, inUse);
        QCOMPARE(listTexts(*ed).value(1), QStringLiteral("営業部(%1)").arg(o.board));
        ed->lstName_Click(0);
        ed->cmdDel_Click();
        o.u.box().queueAnswer(MsgResult::Yes);  // overwrite
        o.u.box().queueAnswer(MsgResult::No);   // renumbering
        ed->mnuUSave_Click();
        QCOMPARE(o.u.box().shown().size(), 2);
        const MsgBoxRequest warning = o.u.box().shown()[1];
        QVERIFY2(warning.text.contains(QStringLiteral("営業部 (2→1)\n営業部 (3→2)")), qPrintable(warning.text));
        QCOMPARE(warning.defaultButton, 1);
        QCOMPARE(TextFile::readLines(inUse).lines.size(), 3);

        o.u.box().clear();
        o.u.box().queueAnswer(MsgResult::Yes);
        o.u.box().queueAnswer(MsgResult::Yes);
        ed->mnuUSave_Click();
        QCOMPARE(TextFile::readLines(inUse).lines,
                 (QStringList {listLine(1, QStringLiteral("営業部"), o.board), listLine(2, QStringLiteral("営業部"), o.board)}));
        QCOMPARE(TextFile::readLines(inUse + ".bak").lines.size(), 3);
        QCOMPARE(o.u.box().texts().last(), QStringLiteral("現在使用中の掲示板リストが上書きされました。\nPorluneを再起動してください"));

        // Saved again without a change: nothing renumbered, no warning.
        o.u.box().clear();
        o.u.box().queueAnswer(MsgResult::Yes);
        ed->mnuUSave_Click();
        QCOMPARE(o.u.box().shown().size(), 2); // the question and the restart message

        QTemporaryDir elsewhere;
        o.u.box().clear();
        o.u.dialogs().queuePath(elsewhere.filePath(QStringLiteral("ban.txt")));
        ed->mnuNSave_Click();
        QVERIFY(o.u.box().shown().isEmpty());
        QCOMPARE(ed->filePath(), elsewhere.filePath(QStringLiteral("ban.txt")));
    }

    // "指定" takes an existing board file only.
    void choosingTheBoardFile()
    {
        Office o;
        auto ed = makeEditor(Kind::List, o.u, o.host);
        auto* label = control<QLabel>(ed.get(), "lblKeijiban");
        control<QLineEdit>(ed.get(), "txtName")->setText(QStringLiteral("総務部"));
        ed->cmdAdd_Click();
        QCOMPARE(o.u.box().texts(), QStringList {QStringLiteral("掲示板ファイルのパスを指定してください")});
        o.u.dialogs().queuePath(o.path(QStringLiteral("none.iki")));
        control<QPushButton>(ed.get(), "cmdPlace")->click();
        QCOMPARE(o.u.box().texts().last(), QStringLiteral("指定されたファイルは存在しませんでした"));
        QCOMPARE(label->text(), QString());
        o.u.dialogs().queuePath(o.board);
        control<QPushButton>(ed.get(), "cmdPlace")->click();
        QCOMPARE(label->text(), o.board);
        QCOMPARE(o.u.dialogs().asked().last().title, QStringLiteral("掲示板ファイルの指定"));
        ed->cmdAdd_Click();
        QCOMPARE(ed->core().rows(), (QList<QStringList> {{"1", "総務部", o.board}}));
    }

    void ftpValidation_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("server") << "txtServerName" << " " << "FTPサーバ名を入力してください";
        QTest::newRow("path") << "txtServerPath" << "" << "FTPサーバのパスを入力してください";
        QTest::newRow("user") << "txtUserName" << "" << "FTPユーザ名を入力してください";
        QTest::newRow("password of blanks") << "txtPass" << "   " << "FTPパスワードを入力してください";
        QTest::newRow("board file") << "lblKeijiban" << "" << "掲示板ファイルのパスを指定してください";
        QTest::newRow("quote in password") << "txtPass" << "pa\"ss" << "ダブルクォーテーション（\"）と改行は使用できません";
    }
    void ftpValidation()
    {
        QFETCH(QString, box);
        QFETCH(QString, value);
        QFETCH(QString, message);
        Office o;
        auto ed = makeEditor(Kind::Ftp, o.u, o.host);
        typeLine(Kind::Ftp, *ed, QStringLiteral("ftp.example.jp"), o.board);
        if (box == QLatin1String("lblKeijiban"))
            control<QLabel>(ed.get(), box)->setText(value);
        else
            control<QLineEdit>(ed.get(), box)->setText(value);
        ed->cmdAdd_Click();
        QCOMPARE(o.u.box().texts(), QStringList {message});
        QCOMPARE(ed->core().count(), 0);
    }

    // A direction 2 shows as a download; "変更" stores 1. The password box
    // shows "*", the file keeps the password; a full list of 99 round-trips;
    // the list in use asks for a restart; the file is its owner's only.
    void ftpListRoundTrip()
    {
        Office o;
        const QString file = o.path(QStringLiteral("ftpset.txt"));
        QStringList lines = fileLines(Kind::Ftp, 98, o.board);
        lines.prepend(ftpLine(2, QStringLiteral("dl.example.jp"), o.board));
        TextFile::writeLines(file, lines);
        o.u.ctx().iniFile().store(81, file);
        auto ed = o.opened(Kind::Ftp, file);
        QCOMPARE(ed->windowTitle(), QStringLiteral("FTPリストエディタ - ftpset.txt"));
        QVERIFY(!enabled(*ed, "cmdAdd"));
        QCOMPARE(listTexts(*ed)[0], QStringLiteral("dl.example.jp ダウン→ ") + o.board);
        QCOMPARE(listTexts(*ed)[2], QStringLiteral("ftp1.example.jp ダウン→ ") + o.board);
        QCOMPARE(listTexts(*ed)[1], QStringLiteral("ftp0.example.jp ←アップ ") + o.board);
        ed->lstName_Click(0);
        QVERIFY(control<QRadioButton>(ed.get(), "optUpDown1")->isChecked());
        auto* pass = control<QLineEdit>(ed.get(), "txtPass");
        QCOMPARE(pass->text(), QStringLiteral("pa ss"));
        QCOMPARE(pass->echoMode(), QLineEdit::Password);
        QCOMPARE(pass->displayText(), QStringLiteral("*****"));
        ed->cmdChange_Click();
        o.u.box().queueAnswer(MsgResult::Yes);
        ed->mnuUSave_Click();
        lines[0] = ftpLine(1, QStringLiteral("dl.example.jp"), o.board);
        QCOMPARE(TextFile::readLines(file).lines, lines);
        QCOMPARE(o.u.box().texts().last(), QStringLiteral("現在使用中のFTPリストが上書きされました。\nPorluneを再起動してください"));
        QCOMPARE(QFile::permissions(file) & (QFile::ReadGroup | QFile::ReadOther), QFileDevice::Permissions());

        // The 99 entries open again as they were saved.
        auto again = o.opened(Kind::Ftp, file);
        QCOMPARE(again->core().rows(), ed->core().rows());
        // New empties the boxes.
        again->mnuNewFile_Click();
        QCOMPARE(control<QLineEdit>(again.get(), "txtServerName")->text(), QString());
        QCOMPARE(control<QLabel>(again.get(), "lblKeijiban")->text(), QString());
        QCOMPARE(again->windowTitle(), QStringLiteral("FTPリストエディタ"));
    }

    void helpContexts()
    {
        Office o;
        for (Kind k : {Kind::Board, Kind::List, Kind::Ftp})
            control<QAction>(makeEditor(k, o.u, o.host).get(), "mnuHelp")->trigger();
        QCOMPARE(o.host.help, (QList<int> {45, 46, 59}));
    }
};

// The "管理者用" menu opens each editor with the main window out of view and
// the message timers stopped; both come back when the editor closes.
class TestEditorMenu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuOpensEachEditor_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("editor");
        QTest::newRow("board file") << "mnuIkisakiEdit" << "frmKFEdit";
        QTest::newRow("board list") << "mnuKeijibanEdit" << "frmKLEdit";
        QTest::newRow("FTP list") << "mnuFtpEdit" << "frmFTPEdit";
    }
    void menuOpensEachEditor()
    {
        QFETCH(QString, item);
        QFETCH(QString, editor);
        TestUser u;
        u.loadSettings();
        u.ctx().iniFile().store(37, QStringLiteral("60"));
        frmMain w(u.ctx());
        w.Form_Load();
        w.show();
        QVERIFY(w.Timer1.isActive());
        bool hiddenAndPaused = false;
        QString opened;
        QTimer::singleShot(0, [&] {
            QWidget* d = QApplication::activeModalWidget();
            QVERIFY(d);
            opened = d->objectName();
            hiddenAndPaused = !w.isVisible() && !w.Timer1.isActive();
            d->close();
        });
        auto* action = control<QAction>(&w, item);
        QVERIFY(action->isEnabled());
        action->trigger();
        QCOMPARE(opened, editor);
        QVERIFY(hiddenAndPaused);
        QVERIFY(w.isVisible());
        QVERIFY(w.Timer1.isActive());
        w.unload();
    }
};

PORLUNE_TEST_MAIN(TestEditorWindows, TestEditorMenu)

#include "tst_editwindows.moc"
