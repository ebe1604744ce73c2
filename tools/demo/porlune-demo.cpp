// Prepares a demo office in a program folder: a board list with two groups,
// their board files with a dozen colleagues, common destination and return
// lists, a mail place, a message log, and settings that choose all of it with
// the user's name set. Used by the run script on a first run; the program itself never creates
// demo data.

#include "msglog/MessageLog.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/QuotedCsv.h"
#include "platform/TextFile.h"
#include "startup/IniFile.h"
#include "startup/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace {

class ConsoleMessageBox final : public IMessageBox
{
public:
    MsgResult show(const MsgBoxRequest& r) override
    {
        QTextStream(stderr) << r.title << ": " << r.text << '\n';
        failed = true;
        return defaultAnswer(r);
    }
    bool failed = false;
};

QString row(const QString& name, const QString& where, const QString& login, const QString& time,
            const QString& back, const QString& ext, const QString& mail)
{
    return QuotedCsv::formatTextLine({name, where, login, time, back, ext, mail});
}

// The user's message log: conversations over ten days with six colleagues,
// replies quoting two levels deep, a few records in the trash.
QStringList demoMessageLog()
{
    const QString me = QStringLiteral("山田太郎");
    struct Thread {
        QString other;
        int day;
        int hour;
        QStringList texts; // alternating, the first one received
    };
    const Thread threads[] = {
        {QStringLiteral("佐藤花子"), 1, 9, {QStringLiteral("おはようございます。\n本日の朝礼は9:15からです。"),
                                         QStringLiteral(">本日の朝礼は9:15からです。\n了解しました。")}},
        {QStringLiteral("鈴木一郎"), 1, 14, {QStringLiteral("会議室Ａの予約をお願いできますか？\n15:00～16:00です。"),
                                           QStringLiteral(">会議室Ａの予約をお願いできますか？\n予約しました。"),
                                           QStringLiteral(">>会議室Ａの予約をお願いできますか？\n>予約しました。\nありがとうございます！")}},
        {QStringLiteral("高橋美咲"), 2, 10, {QStringLiteral("本社へ外出します。\n戻りは15時頃の予定です。"),
                                           QStringLiteral("承知しました。お気をつけて。")}},
        {QStringLiteral("中村翔太"), 2, 16, {QStringLiteral("見積書を共有フォルダに置きました。\nご確認ください。"),
                                           QStringLiteral(">見積書を共有フォルダに置きました。\n確認しました。金額の件、明日相談させてください。"),
                                           QStringLiteral(">>見積書を共有フォルダに置きました。\n>確認しました。金額の件、明日相談させてください。\n10時でいかがでしょう。")}},
        {QStringLiteral("小林恵"), 3, 11, {QStringLiteral("電話がありました。\n株式会社ミナト 森様 折り返しお願いします。"),
                                         QStringLiteral("ありがとうございます。折り返しました。")}},
        {QStringLiteral("伊藤ﾕｳｷ"), 4, 13, {QStringLiteral("PCの更新作業を17時から行います。"),
                                            QStringLiteral(">PCの更新作業を17時から行います。\nよろしくお願いします。")}},
        {QStringLiteral("鈴木一郎"), 4, 17, {QStringLiteral("明日の資料、\"第3版\"でお願いします。"), QStringLiteral("差し替えました。")}},
        {QStringLiteral("中村翔太"), 5, 9, {QStringLiteral("客先から直行します。11時に出社予定です。"), QStringLiteral("了解しました。")}},
        {QStringLiteral("高橋美咲"), 5, 15, {QStringLiteral("コピー機の紙が切れています。"),
                                           QStringLiteral(">コピー機の紙が切れています。\n補充しておきます。"),
                                           QStringLiteral(">>コピー機の紙が切れています。\n>補充しておきます。\n助かります。")}},
        {QStringLiteral("佐藤花子"), 7, 9, {QStringLiteral("経費精算の締切は今週金曜日です。"),
                                         QStringLiteral("了解です。明日提出します。")}},
        {QStringLiteral("鈴木一郎"), 7, 15, {QStringLiteral("来週の出張の件、\n新幹線の手配をお願いします。"),
                                           QStringLiteral(">新幹線の手配をお願いします。\n9日 7:30発で取りました。")}},
        {QStringLiteral("高橋美咲"), 8, 12, {QStringLiteral("お昼、一緒にいかがですか？"), QStringLiteral("ぜひ！12時に1階で。")}},
        {QStringLiteral("伊藤ﾕｳｷ"), 8, 16, {QStringLiteral("パスワードの変更をお願いします。\n期限は12/15です。"), QStringLiteral("変更しました。")}},
        {QStringLiteral("中村翔太"), 9, 17, {QStringLiteral("本日直帰します。\n明日は9時に出社します。"), QStringLiteral("お疲れ様でした。")}},
        {QStringLiteral("小林恵"), 10, 8, {QStringLiteral("本日の来客予定\n10:00 ミナト 森様\n14:00 東和商事 岡田様"),
                                         QStringLiteral(">10:00 ミナト 森様\n応接室を準備しておきます。"),
                                         QStringLiteral(">>10:00 ミナト 森様\n>応接室を準備しておきます。\nお願いします。")}},
        {QStringLiteral("佐藤花子"), 10, 10, {QStringLiteral("忘年会の出欠を今日中にお知らせください。"),
                                           QStringLiteral("出席します。")}},
    };
    QStringList lines;
    int n = 0;
    for (const Thread& t : threads) {
        for (int k = 0; k < t.texts.size(); ++k) {
            const QString when = QStringLiteral("2026/12/%1 %2:%3:%4")
                                     .arg(t.day, 2, 10, QChar(u'0'))
                                     .arg(t.hour, 2, 10, QChar(u'0'))
                                     .arg(5 + 11 * k, 2, 10, QChar(u'0'))
                                     .arg((17 * n) % 60, 2, 10, QChar(u'0'));
            QStringList rec = k % 2 == 0 ? MessageLog::receivedRecord(t.other, when, t.texts[k], me)
                                         : MessageLog::sentRecord({t.other}, t.texts[k], me, when);
            if (n % 10 == 4)
                rec.last() = MessageLog::trashSeparator();
            lines += rec;
            ++n;
        }
    }
    return lines;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: porlune-demo PROGRAM_FOLDER\n";
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString share = Paths::join(folder, QStringLiteral("share"));
    const QString mail = Paths::join(share, QStringLiteral("mail"));
    if (!QDir().mkpath(mail)) {
        QTextStream(stderr) << "cannot create " << mail << '\n';
        return 1;
    }

    const QString soumu = Paths::join(share, QStringLiteral("soumu.iki"));
    const QString eigyo = Paths::join(share, QStringLiteral("eigyo.iki"));
    const QString sep = QStringLiteral("区切り線");
    int err = TextFile::writeLines(Paths::join(share, QStringLiteral("ban.txt")),
        {QuotedCsv::formatLine({QuotedCsv::number(1), QuotedCsv::text(QStringLiteral("総務部")), QuotedCsv::text(soumu)}),
         QuotedCsv::formatLine({QuotedCsv::number(2), QuotedCsv::text(QStringLiteral("営業部")), QuotedCsv::text(eigyo)})});
    err |= TextFile::writeLines(soumu, {
        row(QStringLiteral("山田太郎"), QStringLiteral("帰宅しました"), QStringLiteral("0"), QStringLiteral("12/09 18:02"), QString(), QStringLiteral("101"), QStringLiteral("yamada@example.jp")),
        row(QStringLiteral("佐藤花子"), QStringLiteral("席にいます"), QStringLiteral("1"), QStringLiteral("12/10 08:47"), QString(), QStringLiteral("102"), QStringLiteral("sato@example.jp")),
        row(QStringLiteral("鈴木一郎"), QStringLiteral("会議室Ａ"), QStringLiteral("1"), QStringLiteral("12/10 09:30"), QStringLiteral("11:00"), QStringLiteral("103"), QStringLiteral("suzuki@example.jp")),
        row(QStringLiteral("高橋美咲"), QStringLiteral("外出（本社）"), QStringLiteral("0"), QStringLiteral("12/10 08:15"), QStringLiteral("15:00～16:00"), QStringLiteral("104"), QStringLiteral("takahashi@example.jp")),
        row(sep, QString(), QStringLiteral("9"), QStringLiteral("99:99 99/99"), QString(), QString(), QString()),
        row(QStringLiteral("田中健"), QStringLiteral("休暇"), QStringLiteral("0"), QStringLiteral("12/08 17:30"), QStringLiteral("12/11"), QStringLiteral("105"), QStringLiteral("tanaka@example.jp")),
        row(QStringLiteral("伊藤ﾕｳｷ"), QStringLiteral("席にいます"), QStringLiteral("1"), QStringLiteral("12/10 08:58"), QString(), QStringLiteral("106"), QStringLiteral("ito@example.jp")),
        row(QStringLiteral("渡辺誠"), QStringLiteral("打合せ, 3F"), QStringLiteral("1"), QStringLiteral("12/10 10:05"), QStringLiteral("10:45"), QStringLiteral("107"), QStringLiteral("watanabe@example.jp")),
    });
    err |= TextFile::writeLines(eigyo, {
        row(QStringLiteral("中村翔太"), QStringLiteral("客先訪問"), QStringLiteral("0"), QStringLiteral("12/10 09:10"), QStringLiteral("直帰"), QStringLiteral("201"), QStringLiteral("nakamura@example.jp")),
        row(QStringLiteral("小林恵"), QStringLiteral("席にいます"), QStringLiteral("1"), QStringLiteral("12/10 08:40"), QString(), QStringLiteral("202"), QStringLiteral("kobayashi@example.jp")),
        row(QStringLiteral("山田太郎"), QStringLiteral("帰宅しました"), QStringLiteral("0"), QStringLiteral("12/09 18:02"), QString(), QStringLiteral("101"), QStringLiteral("yamada@example.jp")),
        row(QStringLiteral("加藤大輔"), QStringLiteral("出張（大阪）"), QStringLiteral("0"), QStringLiteral("12/09 07:30"), QStringLiteral("12/12"), QStringLiteral("203"), QStringLiteral("kato@example.jp")),
        row(QStringLiteral("吉田彩"), QStringLiteral("昼食"), QStringLiteral("1"), QStringLiteral("12/10 12:01"), QStringLiteral("13:00"), QStringLiteral("204"), QStringLiteral("yoshida@example.jp")),
    });
    err |= TextFile::writeLines(Paths::join(share, QStringLiteral("where.txt")),
        {QStringLiteral("席にいます"), QStringLiteral("会議室Ａ"), QStringLiteral("会議室Ｂ"), QStringLiteral("外出"),
         QStringLiteral("昼食"), QStringLiteral("休暇"), QStringLiteral("帰宅しました")});
    err |= TextFile::writeLines(Paths::join(share, QStringLiteral("return.txt")),
        {QString(), QStringLiteral("10:00"), QStringLiteral("12:00"), QStringLiteral("13:00"), QStringLiteral("15:00"),
         QStringLiteral("17:00"), QStringLiteral("直帰"), QStringLiteral("明日")});
    err |= TextFile::writeLines(Paths::join(folder, QStringLiteral("where.ini")), {QStringLiteral("郵便局")});
    err |= TextFile::writeLines(Paths::join(folder, QStringLiteral("msglog.txt")), demoMessageLog());
    if (err) {
        QTextStream(stderr) << "cannot write the demo files in " << share << '\n';
        return 1;
    }

    ConsoleMessageBox box;
    Settings settings;
    IniFile ini(Paths::join(folder, QStringLiteral("Porlune.INI")), folder, settings, box);
    ini.Inifile_Read();
    const QString bothBoards = QStringLiteral("22") + QString(18, u'1');
    const std::pair<int, QString> values[] = {
        {19, Paths::join(share, QStringLiteral("ban.txt"))},
        {20, Paths::join(share, QStringLiteral("where.txt"))},
        {21, Paths::join(share, QStringLiteral("return.txt"))},
        {23, bothBoards},
        {24, bothBoards},
        {26, QStringLiteral("山田太郎")},
        {27, QStringLiteral("101")},
        {28, QStringLiteral("yamada@example.jp")},
        {29, mail},
        {52, QStringLiteral("1")},
        {80, QStringLiteral("0")},
        {41, QStringLiteral("10")},
        {32, Paths::join(folder, QStringLiteral("msglog.txt"))},
    };
    for (const auto& [number, value] : values)
        ini.store(number, value);
    if (box.failed)
        return 1;
    QTextStream(stdout) << "Demo office prepared in " << folder << '\n';
    return 0;
}
