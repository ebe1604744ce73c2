// The date memo window: day steps, the memo file's blocks, the delivered day
// texts and the banner fetched over FTP.
#include "memo/Banner.h"
#include "memo/DayMemo.h"
#include "memo/frmInfomation.h"
#include "platform/FileOps.h"
#include "platform/FtpClient.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "support/Controls.h"
#include "support/FileSizeCap.h"
#include "MemoFixture.h"
#include "support/LoopbackFtp.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <atomic>

namespace {

QString memoPath(TestUser& u)
{
    return u.ctx().programPath(QStringLiteral("memo.dat"));
}

// A user whose settings are loaded, with the banner switched by setting 102.
void prepare(TestUser& u, bool banner)
{
    u.loadSettings();
    u.ctx().settings().setInt(102, banner ? 1 : 0);
}

// Counts transfers asked of it and answers each with a failure.
class CountingFtp final : public IFtpClient
{
public:
    std::atomic_int gets {0};
    FtpResult get(const QString&, const QString&, const QString&, const QString&, const std::atomic_bool*) override
    {
        ++gets;
        return {};
    }
    FtpResult put(const QString&, const QString&, const QString&, const QString&, const QByteArray&,
                  const std::atomic_bool*) override
    {
        return {};
    }
};

// Takes the addresses the desktop would open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

void releaseOn(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

} // namespace

class TestMemo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each navigation button from a day, through the window; the caption
    // follows the day.
    void navigationButtons_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("caption");
        QTest::newRow("year end, day on") << "12/31" << "cmdAfterDay" << "01/01" << " 1月 1日は何の日？";
        QTest::newRow("1 March, day back") << "03/01" << "cmdBeforeDay" << "02/29" << " 2月29日は何の日？";
        QTest::newRow("29 Feb, day on") << "02/29" << "cmdAfterDay" << "03/01" << " 3月 1日は何の日？";
        QTest::newRow("new year, day back") << "01/01" << "cmdBeforeDay" << "12/31" << "12月31日は何の日？";
        QTest::newRow("30 April, day on") << "04/30" << "cmdAfterDay" << "05/01" << " 5月 1日は何の日？";
        QTest::newRow("1 May, day back") << "05/01" << "cmdBeforeDay" << "04/30" << " 4月30日は何の日？";
        QTest::newRow("January, month back") << "01/01" << "cmdBeforeMonth" << "12/01" << "12月 1日は何の日？";
        QTest::newRow("December, month on") << "12/15" << "cmdAfterMonth" << "01/15" << " 1月15日は何の日？";
        QTest::newRow("31st, month on keeps the day") << "01/31" << "cmdAfterMonth" << "02/31" << " 2月31日は何の日？";
        QTest::newRow("past the month's end, day on") << "02/31" << "cmdAfterDay" << "03/01" << " 3月 1日は何の日？";
        QTest::newRow("back to today") << "07/04" << "cmdToday" << "06/14" << " 6月14日は何の日？";
    }
    void navigationButtons()
    {
        QFETCH(QString, from);
        QFETCH(QString, button);
        QFETCH(QString, to);
        QFETCH(QString, caption);
        TestUser u; // the clock stands at 2006/06/14
        prepare(u, false);
        frmInfomation w(u.ctx());
        w.showDay(from);
        control<QPushButton>(&w, button)->click();
        QCOMPARE(w.dayKey(), to);
        QCOMPARE(control<QLabel>(&w, "lblToday")->text(), caption);
    }

    // Saving a day's memo: its earlier block goes, the new one comes last,
    // every other block stays as it was and in its order.
    void saveReplacesTheDaysBlock_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("after");
        const QStringList three {"01/01", "元日の予定", "-", "02/02", "古いメモ", "二行目", "-", "03/03", "ひな祭り", "-"};
        QTest::newRow("middle day moves to the end")
            << three << "02/02" << "新しいメモ"
            << QStringList {"01/01", "元日の予定", "-", "03/03", "ひな祭り", "-", "02/02", "新しいメモ", "-"};
        QTest::newRow("new day appended") << three << "12/31" << "大晦日\n年越し"
                                          << (three + QStringList {"12/31", "大晦日", "年越し", "-"});
        QTest::newRow("no file yet") << QStringList() << "05/05" << "こどもの日" << QStringList {"05/05", "こどもの日", "-"};
        QTest::newRow("empty memo keeps an empty line") << three << "03/03" << ""
                                                        << QStringList {"01/01", "元日の予定", "-", "02/02", "古いメモ", "二行目", "-", "03/03", "", "-"};
        // A key-shaped line inside another day's memo is text, not that day.
        QTest::newRow("key-shaped line in another memo")
            << QStringList {"01/01", "予定", "02/02", "までに出す", "-", "02/02", "提出日", "-"} << "02/02" << "提出済み"
            << QStringList {"01/01", "予定", "02/02", "までに出す", "-", "02/02", "提出済み", "-"};
        QTest::newRow("cut-off last block is closed")
            << QStringList {"01/01", "途中まで"} << "04/01" << "x"
            << QStringList {"01/01", "途中まで", "-", "04/01", "x", "-"};
    }
    void saveReplacesTheDaysBlock()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(QStringList, after);
        QTemporaryDir dir;
        const MemoFile memo(dir.filePath(QStringLiteral("memo.dat")));
        if (!before.isEmpty())
            QCOMPARE(TextFile::writeLines(memo.path(), before), 0);
        QCOMPARE(memo.save(key, text), 0);
        QCOMPARE(Fs::readBytes(memo.path()), TextFile::joinLines(after));
        QCOMPARE(memo.memoFor(key), text);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {"memo.dat"}); // no backup or temporary left
    }

    // A memo reads back exactly as saved, and saving it again as read
    // changes no byte (no line end added at each save).
    void memoReadsBackAsSaved_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("one line") << "会議 10:00";
        QTest::newRow("lines") << "一行目\n二行目\n三行目";
        QTest::newRow("trailing line break") << "末尾に改行\n";
        QTest::newRow("dash line") << "上\n-\n下";
        QTest::newRow("dash alone") << "-";
        QTest::newRow("dash and blank") << "- \n-  ";
        QTest::newRow("key-shaped lines") << "12/31\n-\n01/01";
    }
    void memoReadsBackAsSaved()
    {
        QFETCH(QString, text);
        QTemporaryDir dir;
        const MemoFile memo(dir.filePath(QStringLiteral("memo.dat")));
        QCOMPARE(memo.save(QStringLiteral("01/01"), QStringLiteral("ほかの日")), 0);
        QCOMPARE(memo.save(QStringLiteral("06/14"), text), 0);
        QCOMPARE(memo.save(QStringLiteral("12/31"), QStringLiteral("あとの日")), 0);
        QCOMPARE(memo.memoFor(QStringLiteral("06/14")), text);
        QCOMPARE(memo.memoFor(QStringLiteral("12/31")), QStringLiteral("あとの日"));
        // Read and saved again twice: the day's block is the same each time.
        QCOMPARE(memo.save(QStringLiteral("06/14"), memo.memoFor(QStringLiteral("06/14"))), 0);
        const QByteArray once = Fs::readBytes(memo.path());
        QCOMPARE(memo.save(QStringLiteral("06/14"), memo.memoFor(QStringLiteral("06/14"))), 0);
        QCOMPARE(Fs::readBytes(memo.path()), once);
    }

    // A save that cannot complete (a full disk) or a memo file that cannot be
    // read leaves every memo as it was, and the user is told.
    void failedSaveKeepsEveryMemo_data()
    {
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<QString>("report");
        QTest::newRow("full disk") << false << " write error! err code = ";
        QTest::newRow("memo file unreadable") << true << " open error! err code = ";
    }
    void failedSaveKeepsEveryMemo()
    {
        QFETCH(bool, unreadable);
        QFETCH(QString, report);
        TestUser u;
        prepare(u, false);
        const QByteArray before = TextFile::joinLines({"01/01", "大事なメモ", "-"});
        if (unreadable)
            QVERIFY(QDir().mkdir(memoPath(u))); // a folder where the file should be
        else
            QCOMPARE(Fs::writeBytes(memoPath(u), before), 0);
        frmInfomation w(u.ctx());
        control<QPlainTextEdit>(&w, "txtInfo2")->setPlainText(QString(4000, u'長'));
        const QStringList entries = QDir(u.folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        {
            FileSizeCap cap(unreadable ? RLIM_INFINITY : 512);
            QVERIFY(cap.active());
            control<QPushButton>(&w, "cmdMemoWrite")->click();
        }
        QCOMPARE(u.box().shown().size(), 1);
        QVERIFY2(u.box().shown()[0].text.contains(report), qPrintable(u.box().shown()[0].text));
        if (unreadable)
            QVERIFY(Fs::isDir(memoPath(u)));
        else
            QCOMPARE(Fs::readBytes(memoPath(u)), before);
        QCOMPARE(QDir(u.folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), entries); // nothing left behind
    }

    // The window shows the day text and the memo of its day, saves the memo
    // box, and refuses a memo the file cannot hold.
    void windowShowsAndSaves()
    {
        TestUser u;
        prepare(u, false);
        QVERIFY(MemoFixture::copyDayTexts(u.folder()));
        QCOMPARE(TextFile::writeLines(memoPath(u), {"06/15", "明日の件", "-", "06/14", "今日の件", "-"}), 0);
        frmInfomation w(u.ctx());
        auto* info = control<QPlainTextEdit>(&w, "txtInfo");
        auto* memo = control<QPlainTextEdit>(&w, "txtInfo2");
        QCOMPARE(w.dayKey(), QStringLiteral("06/14"));
        QCOMPARE(info->toPlainText(), DayTexts::textFor(QStringLiteral(PORLUNE_DATA_DIR), "06/14"));
        QVERIFY(!info->toPlainText().isEmpty());
        QCOMPARE(memo->toPlainText(), QStringLiteral("今日の件"));
        QVERIFY(info->isReadOnly());

        memo->setPlainText(QStringLiteral("書き直した"));
        control<QPushButton>(&w, "cmdMemoWrite")->click();
        QCOMPARE(TextFile::readLines(memoPath(u)).lines,
                 (QStringList {"06/15", "明日の件", "-", "06/14", "書き直した", "-"}));
        control<QPushButton>(&w, "cmdAfterDay")->click();
        QCOMPARE(memo->toPlainText(), QStringLiteral("明日の件"));
        control<QPushButton>(&w, "cmdBeforeDay")->click();
        QCOMPARE(memo->toPlainText(), QStringLiteral("書き直した"));

        const QByteArray saved = Fs::readBytes(memoPath(u));
        memo->setPlainText(QStringLiteral("絵文字😀"));
        control<QPushButton>(&w, "cmdMemoWrite")->click();
        QCOMPARE(u.box().shown().size(), 1);
        QCOMPARE(u.box().shown()[0].title, QStringLiteral("入力エラー"));
        QCOMPARE(Fs::readBytes(memoPath(u)), saved);
        QVERIFY(w.findChild<QWidget*>(QStringLiteral("fraKoukoku"))->isHidden());
    }

    // Every day of the year has its text in the delivered files, and the
    // files say what the editable source says.
    void deliveredDayTexts()
    {
        QFile source(QStringLiteral(PORLUNE_DAYTEXT_SOURCE));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QString error;
        const auto months = DayTexts::fromSource(QString::fromUtf8(source.readAll()), &error);
        QVERIFY2(!months.isEmpty(), qPrintable(error));
        const QString data = QStringLiteral(PORLUNE_DATA_DIR);
        int days = 0;
        for (const QString& key : DayKey::allKeys()) {
            const QString text = DayTexts::textFor(data, key);
            QVERIFY2(!text.trimmed().isEmpty(), qPrintable(key));
            const DayBlocks::Block* b = DayBlocks::find(months[key.left(2).toInt() - 1], key);
            QVERIFY2(b && text == b->lines.join(u'\n'), qPrintable(key + QStringLiteral(": data/ is older than the source")));
            ++days;
        }
        QCOMPARE(days, 366);
        // Scrambled on disk: no day's text can be read from the bytes.
        QVERIFY(!Fs::readBytes(Paths::join(data, "nani01.dat")).contains(Sjis::encode(u"元日")));
    }

    void sourceErrors_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("no tab") << "01/01 元日";
        QTest::newRow("no such day") << "02/30\tなし";
        QTest::newRow("month 13") << "13/01\tなし";
        QTest::newRow("empty text") << "01/01\t ";
        QTest::newRow("a dash line") << "01/01\t-";
    }
    void sourceErrors()
    {
        QFETCH(QString, source);
        QString error;
        QVERIFY(DayTexts::fromSource(QStringLiteral("# comment\n\n01/02\tよい行\n") + source, &error).isEmpty());
        QVERIFY2(error.startsWith(QStringLiteral("line 4: ")), qPrintable(error));
    }

    void openableLinks_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("opens");
        QTest::newRow("https") << "https://example.jp/ad" << true;
        QTest::newRow("http with blanks") << "  http://example.jp/  " << true;
        QTest::newRow("file") << "file:///etc/passwd" << false;
        QTest::newRow("javascript") << "javascript:alert(1)" << false;
        QTest::newRow("program") << "/usr/bin/xterm" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("no host") << "http://" << false;
    }
    void openableLinks()
    {
        QFETCH(QString, link);
        QFETCH(bool, opens);
        QCOMPARE(BannerFetch::openableLink(link).has_value(), opens);
    }

    // The banner's pictures: what does not load, or is too big, stays empty;
    // without "kou.txt" the default comments show; any other file missing
    // leaves the banner unavailable.
    void bannerFromFiles()
    {
        QFile gif(QStringLiteral(PORLUNE_BANNER_DIR "/100.gif"));
        QVERIFY(gif.open(QIODevice::ReadOnly));
        const QByteArray picture = gif.readAll();
        const QByteArray huge = picture + QByteArray(BannerFetch::MaxPictureBytes, '\0');
        std::array<std::optional<QByteArray>, 5> files {picture, QByteArray("not a picture"), huge,
                                                        Sjis::encode(u"https://a.example/\nhttp://b.example/"), std::nullopt};
        Banner b = BannerFetch::fromFiles(files);
        QVERIFY(b.available);
        QVERIFY(!b.pictures[0].isNull());
        QVERIFY(b.pictures[1].isNull());
        QVERIFY(b.pictures[2].isNull());
        QCOMPARE(b.links[1], QStringLiteral("http://b.example/"));
        QCOMPARE(b.links[2], QString());
        for (const QString& c : b.comments)
            QCOMPARE(c, Banner::defaultComment());
        files[4] = Sjis::encode(u"一つ目\n二つ目\n三つ目");
        QCOMPARE(BannerFetch::fromFiles(files).comments[2], QStringLiteral("三つ目"));
        files[3] = std::nullopt;
        b = BannerFetch::fromFiles(files);
        QVERIFY(!b.available);
        QVERIFY(b.pictures[0].isNull());
    }

    // No server built in: nothing is fetched, the banner area shows its
    // default comments.
    void bannerWithoutServerFetchesNothing()
    {
        TestUser u;
        prepare(u, true);
        CountingFtp ftp;
        u.ctx().setFtpClient(&ftp);
        QVERIFY(!u.ctx().bannerServer().configured());
        frmInfomation w(u.ctx());
        QCOMPARE(ftp.gets.load(), 0);
        QVERIFY(!w.findChild<QWidget*>(QStringLiteral("fraKoukoku"))->isHidden());
        QCOMPARE(control<QLabel>(&w, "lblKoukoku0")->text(), Banner::defaultComment());
        QVERIFY(control<QLabel>(&w, "pctKoukoku0")->pixmap().isNull());
    }

    // The five files from a real FTP server on loopback: three pictures, their
    // comments and links; a click opens an http(s) link only.
    void bannerFromLoopbackServer()
    {
        LoopbackFtp::Server server(QStringLiteral(PORLUNE_FTP_SERVER));
        QVERIFY2(server.ready(), "the loopback FTP server (python3-pyftpdlib) does not start");
        QVERIFY(MemoFixture::putBanner(server, QStringLiteral("banner"),
                                       QStringLiteral("https://example.jp/one\r\njavascript:alert(1)\r\nhttp://example.jp/three\r\n")));

        TestUser u;
        prepare(u, true);
        CurlFtpClient ftp({});
        u.ctx().setFtpClient(&ftp);
        const BannerServer where = MemoFixture::bannerServerOf(server.address(), QStringLiteral("banner"));
        u.ctx().setBannerServer(where);

        QElapsedTimer t;
        t.start();
        frmInfomation w(u.ctx());
        qInfo("banner fetched in %lld ms", t.elapsed());
        QVERIFY(w.banner().available);
        const QString comments[] = {QStringLiteral("春の新製品"), QStringLiteral("夏の特売"), QStringLiteral("秋の催し")};
        for (int i = 0; i < 3; ++i) {
            QVERIFY(!control<QLabel>(&w, QStringLiteral("pctKoukoku%1").arg(i))->pixmap().isNull());
            QCOMPARE(control<QLabel>(&w, QStringLiteral("lblKoukoku%1").arg(i))->text(), comments[i]);
        }
        QCOMPARE(control<QLabel>(&w, "lblUrl")->text(), where.siteUrl);

        UrlCatcher catcher;
        for (const char* scheme : {"http", "https", "javascript"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");
        w.show();
        for (int i = 0; i < 3; ++i)
            releaseOn(control<QLabel>(&w, QStringLiteral("pctKoukoku%1").arg(i)));
        releaseOn(control<QLabel>(&w, "lblUrl"));
        for (const char* scheme : {"http", "https", "javascript"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        QCOMPARE(catcher.opened, (QList<QUrl> {QUrl("https://example.jp/one"), QUrl("http://example.jp/three"),
                                               QUrl("https://porlune.example.jp/")}));
    }

    // A server that never answers: the fetch gives up at its limit and the
    // window shows without pictures.
    void bannerFromSilentServerGivesUp()
    {
        LoopbackFtp::SilentServer silent(QStringLiteral(PORLUNE_FTP_SERVER));
        QVERIFY(silent.ok());
        TestUser u;
        prepare(u, true);
        CurlFtpClient ftp({});
        u.ctx().setFtpClient(&ftp);
        BannerServer where = MemoFixture::bannerServerOf(silent.address()); // the client's own wait is longer
        where.limitSeconds = 2;
        u.ctx().setBannerServer(where);
        QElapsedTimer t;
        t.start();
        frmInfomation w(u.ctx());
        qInfo("silent banner server given up after %lld ms (limit %d s)", t.elapsed(), where.limitSeconds);
        QVERIFY(!w.banner().available);
        QVERIFY(control<QLabel>(&w, "pctKoukoku0")->pixmap().isNull());
        QCOMPARE(control<QLabel>(&w, "lblKoukoku2")->text(), Banner::defaultComment());
        QVERIFY(control<QPushButton>(&w, "cmdClose")->isEnabled());
    }
};

PORLUNE_TEST_MAIN(TestMemo)

#include "tst_memo.moc"
