// The date memo window on a real X display: real clicks and keys through the
// X server, the banner from a real FTP server, and a picture of the window.
#include "memo/frmInfomation.h"
#include "platform/FileOps.h"
#include "platform/FtpClient.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "MemoFixture.h"
#include "support/Controls.h"
#include "support/LoopbackFtp.h"
#include "support/TestContext.h"
#include "support/TestMain.h"
#include "support/XTool.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

void clickOn(QWidget* w)
{
    const QPoint at = w->mapToGlobal(w->rect().center());
    xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
             QStringLiteral("1")});
}

} // namespace

class TestMemoX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowOnScreen()
    {
        LoopbackFtp::Server server(QStringLiteral(PORLUNE_FTP_SERVER));
        QVERIFY2(server.ready(), "the loopback FTP server (python3-pyftpdlib) does not start");
        QVERIFY(MemoFixture::putBanner(server, QString(),
                                       QStringLiteral("https://example.jp/1\r\nhttps://example.jp/2\r\nhttps://example.jp/3\r\n")));

        TestUser u;
        u.loadSettings();
        u.clock().set(QDateTime(QDate(2026, 12, 11), QTime(9, 0)));
        QVERIFY(MemoFixture::copyDayTexts(u.folder()));
        const QString memoPath = u.ctx().programPath(QStringLiteral("memo.dat"));
        QCOMPARE(TextFile::writeLines(memoPath, {"12/11", "10時 総務部と打合せ", "15時 見積書を送る", "-"}), 0);
        CurlFtpClient ftp({});
        u.ctx().setFtpClient(&ftp);
        u.ctx().setBannerServer(MemoFixture::bannerServerOf(server.address()));

        frmInfomation w(u.ctx());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QTRY_VERIFY(w.isActiveWindow());
        auto* memo = control<QPlainTextEdit>(&w, "txtInfo2");
        QTRY_VERIFY(memo->hasFocus());

        // A click into the day text goes on to the memo and selects nothing.
        memo->clearFocus();
        clickOn(control<QPlainTextEdit>(&w, "txtInfo"));
        QTRY_VERIFY(memo->hasFocus());
        QVERIFY(!control<QPlainTextEdit>(&w, "txtInfo")->textCursor().hasSelection());

        // Typed through the X server and saved with a real click.
        memo->moveCursor(QTextCursor::End);
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        xdotool({QStringLiteral("type"), QStringLiteral("call Sato-san")});
        QTRY_VERIFY(memo->toPlainText().endsWith(QStringLiteral("call Sato-san")));
        clickOn(control<QPushButton>(&w, "cmdMemoWrite"));
        QTRY_COMPARE(TextFile::readLines(memoPath).lines,
                     (QStringList {"12/11", "10時 総務部と打合せ", "15時 見積書を送る", "call Sato-san", "-"}));

        // The picture for the documentation, with the memo as first shown.
        memo->setPlainText(QStringLiteral("10時 総務部と打合せ\n15時 見積書を送る"));
        QTest::qWait(300);
        const QRect frame = w.frameGeometry();
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        QVERIFY(!shot.isNull());
        for (int i = 0; i < 3; ++i)
            QVERIFY(!control<QLabel>(&w, QStringLiteral("pctKoukoku%1").arg(i))->pixmap().isNull());
        QVERIFY(shot.save(QStringLiteral(PORLUNE_SHOT_DIR "/memo-xvfb.png")));
    }
};

PORLUNE_TEST_MAIN(TestMemoX11)

#include "tst_memo_x11.moc"
