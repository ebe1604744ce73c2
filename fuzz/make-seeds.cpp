// porlune-fuzzseeds <folder>: writes the seed corpus of every fuzz target into
// <folder>/<target>/, each file made by the program's own writers (Shift-JIS,
// CR LF, scrambled with a fixed key sequence), so the seeds are the files real
// copies leave in shared folders and the same bytes at every run.
#include "FuzzSupport.h"

#include "board/BoardFile.h"
#include "common/TextScramble.h"
#include "editors/EditedListFiles.h"
#include "ftp/FtpList.h"
#include "memo/DayMemo.h"
#include "messaging/MessageFile.h"
#include "msglog/MessageLog.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "startup/AppContext.h"
#include "startup/IniFile.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QFile>
#include <QtEndian>

#include <cstdio>

namespace {

QString g_root;

void put(const QString& target, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(g_root + u'/' + target);
    QFile f(g_root + u'/' + target + u'/' + name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(f.fileName()));
}

QByteArray readBack(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return f.readAll();
}

QByteArray sjisLines(const QStringList& lines)
{
    return TextFile::joinLines(lines);
}

BoardRow row(const QString& name, const QString& where, const QString& login, const QString& set,
             const QString& back, const QString& ext, const QString& mail)
{
    return BoardRow {name, where, login, set, back, ext, mail};
}

void settingsSeeds()
{
    // A fixed program folder: the defaults name files in it.
    const QString folder = QStringLiteral("/tmp/porlune-seeds");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    Fuzz::Copy copy(folder);
    copy.ctx().iniFile().Inifile_Read(); // every setting at its default
    put(QStringLiteral("settings"), QStringLiteral("defaults.ini"), readBack(copy.ctx().settingsPath()));
    copy.ctx().iniFile().store(SettingNo::UserName, QStringLiteral("山田太郎"));
    copy.ctx().iniFile().store(SettingNo::Extension, QStringLiteral("1234"));
    copy.ctx().iniFile().store(SettingNo::MailPlace, QStringLiteral("//server/共有/mail"));
    put(QStringLiteral("settings"), QStringLiteral("user.ini"), readBack(copy.ctx().settingsPath()));
    // One record away from its own position, as an older writer left it.
    QByteArray moved = readBack(copy.ctx().settingsPath());
    moved.append(IniFile::encodeRecord(SettingNo::UserName, Sjis::encode(u"佐藤花子")));
    put(QStringLiteral("settings"), QStringLiteral("moved.ini"), moved);
    QDir(folder).removeRecursively();
}

void boardSeeds()
{
    const QList<BoardRow> rows {
        row(QStringLiteral("山田太郎"), QStringLiteral("外出（本社）"), QStringLiteral("1"),
            QStringLiteral("04/01 09:30"), QStringLiteral("15:00"), QStringLiteral("1234"),
            QStringLiteral("yamada@example.jp")),
        row(QStringLiteral("佐藤花子"), QStringLiteral("在席"), QStringLiteral("0"),
            QStringLiteral("04/01 08:50"), QString(), QStringLiteral("1235"), QString()),
        row(QStringLiteral("-----------"), QString(), QStringLiteral("-"), QString(), QString(), QString(), QString()),
        row(QStringLiteral("鈴木一郎"), QStringLiteral("会議室Ａ"), QStringLiteral("1"),
            QStringLiteral("03/31 17:45"), QStringLiteral("明日"), QString(), QStringLiteral("suzuki@example.jp")),
    };
    put(QStringLiteral("board"), QStringLiteral("board.txt"), BoardFile::format(rows));
    QList<BoardRow> many;
    for (int k = 0; k < 52; ++k)
        many << row(QStringLiteral("社員%1").arg(k + 1), QStringLiteral("在席"), QString::number(k % 2),
                    QStringLiteral("04/01 09:00"), QString(), QString::number(2000 + k), QString());
    const QByteArray longBoard = BoardFile::format(many);
    put(QStringLiteral("board"), QStringLiteral("beyond50.txt"), longBoard);
    put(QStringLiteral("board"), QStringLiteral("cut.txt"), BoardFile::format(rows).chopped(20));
}

void listSeeds()
{
    const QByteArray list = EditedListFiles::formatBoardList({
        {QStringLiteral("1"), QStringLiteral("総務部"), QStringLiteral("board1.txt")},
        {QStringLiteral("2"), QStringLiteral("営業部"), QStringLiteral("//server/共有/board2.txt")},
        {QStringLiteral("3"), QStringLiteral("大阪支社"), QStringLiteral("osaka.txt")},
    });
    put(QStringLiteral("boardlist"), QStringLiteral("ban.txt"), list);

    QStringList ftp;
    ftp << formatFtpListLine({0, QStringLiteral("ftp.example.jp:21:10"), QStringLiteral("/pub/board"),
                              QStringLiteral("yamada"), QStringLiteral("秘密pw"), QStringLiteral("board1.txt")});
    ftp << formatFtpListLine({1, QStringLiteral("192.0.2.7"), QStringLiteral("/大阪/board.txt"),
                              QStringLiteral("osaka"), QStringLiteral("pw"), QStringLiteral("osaka.txt")});
    put(QStringLiteral("ftplist"), QStringLiteral("ftplist.txt"), sjisLines(ftp));

    put(QStringLiteral("lists"), QStringLiteral("where.txt"),
        sjisLines({QStringLiteral("外出（本社）"), QStringLiteral("会議室Ａ"), QString(), QStringLiteral("出張")}));
    put(QStringLiteral("lists"), QStringLiteral("return.txt"),
        sjisLines({QStringLiteral("15:00"), QStringLiteral("明日"), QStringLiteral("未定")}));

    put(QStringLiteral("template"), QStringLiteral("template.ini"),
        sjisLines({QStringLiteral("お疲れさまです。"), QString(), QStringLiteral("至急ご連絡ください。"),
                   QStringLiteral("会議は 15:00 からです")}));
}

void messageSeeds()
{
    MessageFile m;
    m.addressees = MessageFile::addresseeLine({QStringLiteral("佐藤花子"), QStringLiteral("鈴木一郎")});
    m.sender = QStringLiteral("山田太郎");
    m.sentAt = QStringLiteral("2026/04/01 09:30:00");
    m.receipt = QStringLiteral("1");
    m.mailId = QStringLiteral("12");
    m.setText(QStringLiteral("お疲れさまです。\r\n会議は 15:00 からです。\r\n"));
    put(QStringLiteral("message"), QStringLiteral("current.txt"), MessageFormat::encode(m, Scramble::seededKeys(1)));
    m.sealed = QStringLiteral("1");
    m.receipt = QStringLiteral("2");
    put(QStringLiteral("message"), QStringLiteral("sealed.txt"), MessageFormat::encode(m, Scramble::seededKeys(2)));

    // The older digit form: line 1 a number, every line three digits a byte.
    const int number = 5;
    const int key = number + Scramble::LegacyKeyOffset;
    QByteArray legacy = QByteArray::number(number) + "\r\n";
    QByteArray digits;
    for (const QString& line : {m.addressees, m.sender, m.sentAt, QStringLiteral("0"), QStringLiteral("0"),
                                QStringLiteral("0"), QStringLiteral("旧形式の本文")}) {
        QByteArray one;
        for (QChar c : line)
            for (int b : {c.unicode() & 0xFF, c.unicode() >> 8})
                one += QByteArray::number((b + key) % 256).rightJustified(3, '0');
        legacy += one + "\r\n";
        if (digits.isEmpty())
            digits = one;
    }
    put(QStringLiteral("message"), QStringLiteral("legacy.txt"), legacy);

    // The scramble target: a line of each form; the legacy one behind its
    // eight-byte key.
    put(QStringLiteral("scramble"), QStringLiteral("line.txt"),
        Scramble::encode(QStringLiteral("外出（本社） 15:00"), 200).toLatin1());
    put(QStringLiteral("scramble"), QStringLiteral("short.txt"), Scramble::encode(QStringLiteral("a"), 3).toLatin1());
    QByteArray keyed(8, '\0');
    qToLittleEndian<qint64>(key, keyed.data());
    put(QStringLiteral("scramble"), QStringLiteral("legacy.txt"), keyed + digits);
}

void logSeeds()
{
    QStringList lines;
    lines << MessageLog::sentRecord({QStringLiteral("佐藤花子"), QStringLiteral("鈴木一郎")},
                                    QStringLiteral("お疲れさまです。\r\n資料を送ります。"),
                                    QStringLiteral("山田太郎"), QStringLiteral("2026/04/01 09:30:00"));
    lines << MessageLog::receivedRecord(QStringLiteral("佐藤花子"), QStringLiteral("2026/04/01 10:02:11"),
                                        QStringLiteral("> 資料を送ります。\r\n受け取りました。"),
                                        QStringLiteral("山田太郎"));
    QStringList trashed = MessageLog::receivedRecord(QStringLiteral("鈴木一郎"), QStringLiteral("2026/03/31 18:00:00"),
                                                     QStringLiteral("お先に失礼します"), QStringLiteral("山田太郎"));
    trashed.last() = MessageLog::trashSeparator();
    lines << trashed;
    const QByteArray plain = sjisLines(lines);
    put(QStringLiteral("msglog"), QStringLiteral("plain.txt"), plain);

    // Locked: the marker, the password, then every line, each scrambled with
    // a key of its own, as locking writes it.
    const Scramble::KeySource keys = Scramble::seededKeys(3);
    QStringList scrambled {Scramble::encode(MessageLog::lockMarker(), keys),
                           Scramble::encode(QStringLiteral("ひみつ"), keys)};
    for (const QString& line : lines)
        scrambled << Scramble::encode(line, keys);
    const QByteArray locked = sjisLines(scrambled);
    put(QStringLiteral("msglog"), QStringLiteral("locked.txt"), locked);
    // The locked target puts its own marker line first.
    put(QStringLiteral("msglog_locked"), QStringLiteral("locked.txt"), locked.mid(locked.indexOf('\n') + 1));
}

void daySeeds()
{
    const QList<DayBlocks::Block> memo {
        {QStringLiteral("04/01"), MemoFile::storedLines(QStringLiteral("会議 10:00\n-\n持ち物：資料")), true},
        {QStringLiteral("12/31"), {QStringLiteral("大掃除")}, true},
    };
    put(QStringLiteral("memo"), QStringLiteral("memo.dat"), sjisLines(DayBlocks::format(memo)));

    const QList<DayBlocks::Block> days {
        {QStringLiteral("04/01"), {QStringLiteral("エイプリルフール"), QStringLiteral("新年度の始まり")}, true},
        {QStringLiteral("04/29"), {QStringLiteral("昭和の日")}, true},
    };
    put(QStringLiteral("daytext"), QStringLiteral("nani04.dat"), DayTexts::encode(days, Scramble::seededKeys(4)));
}

void bannerSeeds()
{
    // Three small pictures, the links and the comments, each file ended by "@@".
    QByteArray all;
    for (const QColor& colour : {QColor(Qt::red), QColor(Qt::darkGreen), QColor(Qt::blue)}) {
        QImage picture(8, 4, QImage::Format_RGB32);
        picture.fill(colour);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        all += buffer.data() + "\n@@\n";
    }
    all += sjisLines({QStringLiteral("https://example.jp/"), QStringLiteral("http://example.jp/a?b=c"),
                      QStringLiteral("ftp://example.jp/")}) + "\n@@\n";
    all += sjisLines({QStringLiteral("今日のお知らせ"), QStringLiteral("社内報"), QString()}) + "\n@@\n";
    put(QStringLiteral("banner"), QStringLiteral("banner.txt"), all);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: porlune-fuzzseeds <corpus folder>\n");
        return 2;
    }
    g_root = QString::fromLocal8Bit(argv[1]);
    settingsSeeds();
    boardSeeds();
    listSeeds();
    messageSeeds();
    logSeeds();
    daySeeds();
    bannerSeeds();
    Fuzz::clearFolder();
    return 0;
}
