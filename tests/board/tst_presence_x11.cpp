// The presence marks on a real X display (under Xvfb with a window manager and
// a notification area): a board with a stale row and an overdue return, left
// as a picture, and the real tray icon's notification.
#include "PresenceOffice.h"
#include "platform/SystemColors.h"
#include "platform/TrayIcon.h"
#include "support/Controls.h"
#include "support/TestMain.h"
#include "support/XTool.h"

#include <QApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QToolTip>
#include <QWindow>

class TestPresenceX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"), "runs under tools/xvfb-run-test.sh");
    }

    void boardWithStaleRowAndOverdueReturn()
    {
        TestUser u;
        QTemporaryDir dir;
        PresenceOffice office(u, dir.path());
        u.clock().set(QDateTime(QDate(2006, 6, 14), QTime(9, 5)));
        HeartbeatWriter sato;
        QCOMPARE(sato.beat(kSato, {office.board}, 2), 1); // then her copy dies
        auto w = office.open();
        for (int k = 0; k < 3; ++k)
            office.refresh(*w);
        auto* grid = control<QTableWidget>(w.get(), "DataGrid1");
        QVERIFY(!grid->item(1, 0)->toolTip().isEmpty());
        QVERIFY(!grid->item(1, 4)->toolTip().isEmpty());
        w->resize(640, 260);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTest::qWait(300);
        // The overdue return is painted in its colour.
        const QImage shot = w->grab().toImage();
        const QRect returnCell = grid->visualItemRect(grid->item(1, 4));
        const QPoint origin = grid->viewport()->mapTo(w.get(), QPoint(0, 0));
        const QColor overdue = SystemColors::fromSetting(u.ctx().settings().intValue(77));
        QCOMPARE(shot.pixelColor(origin + returnCell.topLeft() + QPoint(returnCell.width() - 3, 3)), overdue);
        // The real pointer rests on each marked cell: its tooltip comes up and
        // is left in a picture together with the window.
        const struct {
            int column;
            QString expected;
            QString file;
        } hovers[] = {{0, QStringLiteral("応答がありません（最終確認 "), QStringLiteral("presence-xvfb.png")},
                      {4, QStringLiteral("を過ぎています"), QStringLiteral("presence-overdue-xvfb.png")}};
        for (const auto& h : hovers) {
            const QRect cell = grid->visualItemRect(grid->item(1, h.column));
            const QPoint at = grid->viewport()->mapToGlobal(cell.center());
            QVERIFY(xdotool({QStringLiteral("mousemove"), QString::number(at.x() - 20), QString::number(at.y() + 30)}));
            QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 5000);
            QVERIFY(xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())}));
            QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible() && QToolTip::text().contains(h.expected), 10000);
            QTest::qWait(300); // its fade-in done
            QRect area = w->frameGeometry();
            for (QWidget* t : QApplication::topLevelWidgets())
                if (t->isVisible() && t->inherits("QTipLabel"))
                    area |= t->frameGeometry();
            const QString path = QDir(QStringLiteral(PORLUNE_SHOT_DIR)).filePath(h.file);
            QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(path));
        }
        w->unload();
    }

    // The real tray icon shows a notification where the desktop can.
    void trayNotification()
    {
        QtTrayIcon tray;
        tray.showMessage(QStringLiteral("無視"), QStringLiteral("icon not added yet")); // nothing, no crash
        tray.add(0, QStringLiteral("Porlune"));
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        if (!QSystemTrayIcon::supportsMessages())
            QSKIP("this desktop shows no tray messages");
        tray.showMessage(QStringLiteral("佐藤花子 さんからのメッセージ"), QStringLiteral("会議室が変わりました"));
        // Without a notification service Qt shows its own balloon beside the icon.
        const auto balloonShown = [] {
            const QWidgetList windows = QApplication::topLevelWidgets(); // one list: each call makes a new one
            return std::any_of(windows.cbegin(), windows.cend(), [](QWidget* t) {
                return t->isVisible() && QLatin1String(t->metaObject()->className()) == QLatin1String("QBalloonTip");
            });
        };
        QTRY_VERIFY_WITH_TIMEOUT(balloonShown(), 10000);
        tray.remove();
    }
};

PORLUNE_TEST_MAIN(TestPresenceX11)

#include "tst_presence_x11.moc"
