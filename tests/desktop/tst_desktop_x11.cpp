// Runs on a real X display (tools/xvfb-run-test.sh starts Xvfb, openbox and
// trayer around it): the tray icon embedded in the notification area, clicks
// on it, the hot key pressed through the X server, and the shaped mail mark
// on screen.
#include "board/frmIcon.h"
#include "board/frmMain.h"
#include "platform/GlobalHotKey.h"
#include "platform/QuotedCsv.h"
#include "platform/TextFile.h"
#include "platform/TrayIcon.h"
#include "support/TestContext.h"
#include "support/TestMain.h"
#include "support/XTool.h"
#include "DeskFixture.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWindow>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <memory>

namespace {

const QString kMe = DeskFixture::me();
constexpr int kCtrlAltK = 0x064B;
constexpr int kCtrlAltJ = 0x064A;

// Runs an X tool of the rig; its standard output.
QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished(2000);
        qWarning("%s did not finish", qPrintable(program));
        return QString();
    }
    if (p.exitCode() != 0)
        qWarning("%s %s: exit %d: %s", qPrintable(program), qPrintable(args.join(u' ')), p.exitCode(),
                 p.readAllStandardError().constData());
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// What xwininfo says of a window.
struct WinInfo {
    QPoint position; // absolute upper-left corner of the inside
    QSize size;
    bool viewable = false;
};

WinInfo winInfo(WId id)
{
    const QString out = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(id)});
    auto number = [&](const char* label) {
        const QRegularExpression re(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)"));
        return re.match(out).captured(1).toInt();
    };
    WinInfo info;
    info.position = QPoint(number("Absolute upper-left X"), number("Absolute upper-left Y"));
    info.size = QSize(number("Width"), number("Height"));
    info.viewable = out.contains(QStringLiteral("Map State: IsViewable"));
    return info;
}

Display* display()
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

// The windows from w up to (not including) the root.
QList<Window> ancestors(Window w)
{
    QList<Window> chain;
    Display* dpy = display();
    while (w != 0) {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(dpy, w, &root, &parent, &children, &count))
            break;
        if (children)
            XFree(children);
        if (parent == root || parent == 0)
            break;
        chain.append(parent);
        w = parent;
    }
    return chain;
}

// The X window of Qt's tray icon (the XEmbed client widget), once it exists.
QWidget* trayIconWidget()
{
    for (QWidget* w : QApplication::allWidgets())
        if (qstrcmp(w->metaObject()->className(), "QSystemTrayIconSys") == 0)
            return w;
    return nullptr;
}

// Window ids of the managed windows from bottom to top.
QList<WId> stackingOrder()
{
    const QString out = run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    QList<WId> ids;
    const QRegularExpression re(QStringLiteral("0x[0-9a-fA-F]+"));
    for (auto it = re.globalMatch(out); it.hasNext();)
        ids.append(it.next().captured(0).toULong(nullptr, 16));
    return ids;
}

// The desk on a real display: the system's tray icon and hot key instead of
// the doubles, and a window of known place and size.
struct Desk : DeskFixture {
    explicit Desk(TestUser& u) : DeskFixture(u)
    {
        IniFile& ini = u.ctx().iniFile();
        ini.store(42, QStringLiteral("1"));
        ini.store(1, QStringLiteral("3600"));
        ini.store(2, QStringLiteral("6000"));
        ini.store(3, QStringLiteral("1500"));
        ini.store(4, QStringLiteral("1500"));
        u.ctx().setTrayIcon(&tray);
        u.ctx().setHotKey(hotKey.get());
    }

    QtTrayIcon tray;
    std::unique_ptr<IGlobalHotKey> hotKey = createGlobalHotKey();
};

} // namespace

class TestDesktopX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY(display());
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 15000);
    }

    void trayIconIsEmbeddedAndAClickRestores()
    {
        TestUser u;
        Desk desk(u);
        u.ctx().iniFile().store(43, QStringLiteral("1"));
        auto w = desk.open();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));

        // The icon's window sits inside trayer's window tree.
        QWidget* icon = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((icon = trayIconWidget()) != nullptr, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!ancestors(icon->winId()).isEmpty(), 10000);
        bool inTrayer = false;
        for (Window a : ancestors(icon->winId()))
            if (run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(a), QStringLiteral("WM_CLASS")})
                    .contains(QStringLiteral("\"trayer\"")))
                inTrayer = true;
        QVERIFY2(inTrayer, "the tray icon is not embedded in trayer");
        WinInfo where;
        QTRY_VERIFY_WITH_TIMEOUT((where = winInfo(icon->winId())).viewable && where.size.width() > 4, 10000);
        const QPoint centre = where.position + QPoint(where.size.width() / 2, where.size.height() / 2);

        // Another window over the main window, then the main window closed
        // to the tray (settings 42 and 43).
        QWidget other;
        other.setWindowTitle(QStringLiteral("other"));
        other.setGeometry(w->geometry().adjusted(20, 20, 20, 20));
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        w->windowHandle()->close();
        QTRY_VERIFY(w->isHidden());
        QTRY_VERIFY(!winInfo(w->winId()).viewable);

        // A left click on the icon brings it back, in front of the other one.
        xdotool({QStringLiteral("mousemove"), QString::number(centre.x()),
                 QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("1")});
        QTRY_VERIFY_WITH_TIMEOUT(w->isVisible() && winInfo(w->winId()).viewable, 10000);
        QVERIFY(!w->isMinimized());
        QTRY_VERIFY_WITH_TIMEOUT(stackingOrder().indexOf(w->winId()) > stackingOrder().indexOf(other.winId()), 5000);

        // A right click opens the tray menu there.
        auto* menu = w->findChild<QMenu*>(QStringLiteral("mnuPopup1"));
        QVERIFY(menu);
        xdotool({QStringLiteral("click"), QStringLiteral("3")});
        QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 10000);
        QVERIFY(QRect(menu->pos() - QPoint(2, 2), QSize(5, 5)).contains(centre)
                || menu->geometry().adjusted(-2, -2, 2, 2).contains(centre));
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QTRY_VERIFY_WITH_TIMEOUT(!menu->isVisible(), 10000);

        // Unload takes the icon out of the tray.
        const WId iconId = icon->winId();
        w->unload();
        QTRY_VERIFY_WITH_TIMEOUT(trayIconWidget() == nullptr || !winInfo(iconId).viewable, 10000);
    }

    void hotKeyThroughTheServerRestores_data()
    {
        QTest::addColumn<QString>("hideWhenMinimized");
        QTest::addColumn<QString>("lockKey");
        QTest::newRow("minimized") << u"0"_qs << QString();
        QTest::newRow("minimized and hidden") << u"1"_qs << QString();
        QTest::newRow("minimized, NumLock on") << u"0"_qs << u"Num_Lock"_qs;
        QTest::newRow("minimized, CapsLock on") << u"0"_qs << u"Caps_Lock"_qs;
    }

    void hotKeyThroughTheServerRestores()
    {
        QFETCH(QString, hideWhenMinimized);
        QFETCH(QString, lockKey);
        TestUser u;
        Desk desk(u);
        u.ctx().iniFile().store(43, hideWhenMinimized);
        u.ctx().iniFile().store(63, QStringLiteral("1"));
        u.ctx().iniFile().store(64, QString::number(kCtrlAltK));
        auto w = desk.open();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(desk.hotKey->registeredCode(), kCtrlAltK);

        // A lock key pressed for this row, pressed again however the row ends.
        struct LockKey {
            QString key;
            explicit LockKey(const QString& k) : key(k) { if (!key.isEmpty()) xdotool({QStringLiteral("key"), key}); }
            ~LockKey() { if (!key.isEmpty()) xdotool({QStringLiteral("key"), key}); }
        } lock(lockKey);
        w->showMinimized();
        if (hideWhenMinimized == u"1")
            QTRY_VERIFY_WITH_TIMEOUT(w->isHidden(), 10000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(w->isMinimized(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!winInfo(w->winId()).viewable, 10000);

        // A key that is not ours leaves it where it is.
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+l")});
        QTest::qWait(300);
        QVERIFY(!winInfo(w->winId()).viewable);

        auto restored = [&] { return w->isVisible() && !w->isMinimized() && winInfo(w->winId()).viewable; };
        auto state = [&] {
            return QStringLiteral("visible %1, minimized %2, viewable %3")
                .arg(w->isVisible())
                .arg(w->isMinimized())
                .arg(winInfo(w->winId()).viewable);
        };
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+k")});
        QTRY_VERIFY2_WITH_TIMEOUT(restored(), qPrintable(state()), 10000);

        // And again: the window minimizes and comes back as before.
        QTest::qWait(200);
        w->showMinimized();
        QTRY_VERIFY2_WITH_TIMEOUT(!winInfo(w->winId()).viewable, qPrintable(state()), 10000);
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+k")});
        QTRY_VERIFY2_WITH_TIMEOUT(restored(), qPrintable(state()), 10000);

        w->unload();
        QCOMPARE(desk.hotKey->registeredCode(), 0);
    }

    void hotKeyTakenByAnotherProgramFailsSilently()
    {
        // Another client holds Ctrl+Alt+J.
        Display* other = XOpenDisplay(nullptr);
        QVERIFY(other);
        const KeyCode j = XKeysymToKeycode(other, XK_j);
        XGrabKey(other, j, ControlMask | Mod1Mask, DefaultRootWindow(other), False, GrabModeAsync, GrabModeAsync);
        XSync(other, False);

        TestUser u;
        Desk desk(u);
        u.ctx().iniFile().store(43, QStringLiteral("0"));
        u.ctx().iniFile().store(63, QStringLiteral("1"));
        u.ctx().iniFile().store(64, QString::number(kCtrlAltJ));
        auto w = desk.open();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(desk.hotKey->registeredCode(), 0);
        QVERIFY(u.box().shown().isEmpty());

        w->showMinimized();
        QTRY_VERIFY_WITH_TIMEOUT(!winInfo(w->winId()).viewable, 10000);
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+j")});
        QTest::qWait(300);
        QVERIFY(!winInfo(w->winId()).viewable);

        // The failed grab left nothing behind: a free key still works, and
        // the other program's key is still its own.
        QVERIFY(desk.hotKey->registerHotKey(kCtrlAltK));
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+k")});
        QTRY_VERIFY_WITH_TIMEOUT(winInfo(w->winId()).viewable, 10000);
        desk.hotKey->unregisterHotKey();
        XUngrabKey(other, j, ControlMask | Mod1Mask, DefaultRootWindow(other));
        XCloseDisplay(other);
        // Once released by the other program, the key can be had.
        QVERIFY(desk.hotKey->registerHotKey(kCtrlAltJ));
        w->unload();
    }

    // Many rounds of minimize (to the tray) and restore, by turns with the
    // hot key and a click on the icon. Every round must come back; the time
    // each restore took is printed (PORLUNE_RESTORE_ROUNDS sets the count).
    void restoreRounds()
    {
        const int rounds = std::max(2, qEnvironmentVariableIntValue("PORLUNE_RESTORE_ROUNDS") > 0
                                           ? qEnvironmentVariableIntValue("PORLUNE_RESTORE_ROUNDS")
                                           : 6);
        TestUser u;
        Desk desk(u);
        u.ctx().iniFile().store(43, QStringLiteral("1"));
        u.ctx().iniFile().store(63, QStringLiteral("1"));
        u.ctx().iniFile().store(64, QString::number(kCtrlAltK));
        auto w = desk.open();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QWidget* icon = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((icon = trayIconWidget()) != nullptr && winInfo(icon->winId()).viewable, 10000);
        const WinInfo where = winInfo(icon->winId());
        const QPoint centre = where.position + QPoint(where.size.width() / 2, where.size.height() / 2);

        QList<qint64> byKey, byClick;
        // A press soon after the last one on the icon is its double click,
        // which does nothing (as the button's second press does elsewhere).
        QElapsedTimer sinceClick;
        for (int round = 0; round < rounds; ++round) {
            w->showMinimized();
            QTRY_VERIFY_WITH_TIMEOUT(w->isHidden() && !winInfo(w->winId()).viewable, 10000);
            const bool key = round % 2 == 0;
            if (!key && sinceClick.isValid())
                QTest::qWait(std::max<qint64>(0, QApplication::doubleClickInterval() + 100 - sinceClick.elapsed()));
            QElapsedTimer t;
            t.start();
            if (key)
                xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+k")});
            else
                xdotool({QStringLiteral("mousemove"), QString::number(centre.x()),
                         QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("1")});
            if (!key)
                sinceClick.start();
            QTRY_VERIFY2_WITH_TIMEOUT(w->isVisible() && !w->isMinimized() && winInfo(w->winId()).viewable,
                                      qPrintable(QStringLiteral("round %1").arg(round)), 10000);
            (key ? byKey : byClick).append(t.elapsed());
        }
        auto figures = [](QList<qint64> ms) {
            std::sort(ms.begin(), ms.end());
            return QStringLiteral("n=%1 min %2 ms, median %3 ms, max %4 ms")
                .arg(ms.size())
                .arg(ms.first())
                .arg(ms[ms.size() / 2])
                .arg(ms.last());
        };
        qInfo("restore by hot key: %s", qPrintable(figures(byKey)));
        qInfo("restore by tray click: %s", qPrintable(figures(byClick)));
        w->unload();
    }

    void mailMarkShowsOnlyItsPicture()
    {
        // A backdrop of one known colour for the mark to sit on.
        const QColor backdropColour(0x3a, 0x6e, 0xa5);
        QWidget backdrop;
        backdrop.setWindowTitle(QStringLiteral("backdrop"));
        backdrop.setAutoFillBackground(true);
        QPalette pal = backdrop.palette();
        pal.setColor(QPalette::Window, backdropColour);
        backdrop.setPalette(pal);
        backdrop.setGeometry(200, 200, 360, 260);
        backdrop.show();
        QVERIFY(QTest::qWaitForWindowExposed(&backdrop));
        const QPoint origin = backdrop.mapToGlobal(QPoint(0, 0));

        auto* mark = new frmIcon;
        QPointer<frmIcon> guard(mark);
        mark->moveBesideCursor(origin + QPoint(80, 60));
        mark->show();
        QVERIFY(QTest::qWaitForWindowExposed(mark));
        const QPoint at = origin + QPoint(80 + frmIcon::CursorOffsetX, 60 + frmIcon::CursorOffsetY);

        // Where it was put, with no frame or title bar around it, and not
        // holding the focus.
        QTRY_COMPARE_WITH_TIMEOUT(winInfo(mark->winId()).position, at, 5000);
        const QString extents = run(QStringLiteral("xprop"),
                                    {QStringLiteral("-id"), QString::number(mark->winId()), QStringLiteral("_NET_FRAME_EXTENTS")});
        QVERIFY2(extents.contains(QStringLiteral("= 0, 0, 0, 0")), qPrintable(extents));
        QVERIFY(QGuiApplication::focusWindow() != mark->windowHandle());

        auto* picture = mark->findChild<QLabel*>(QStringLiteral("imgMail"));
        QVERIFY(picture);
        const QImage expected = picture->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect outer(at, mark->size());
        const QRegion shown = mark->mask();

        // The screen inside the window's rectangle: the picture inside the
        // mask, the backdrop everywhere else.
        auto screenMatches = [&](QString* why) {
            const QImage shot = QGuiApplication::primaryScreen()
                                    ->grabWindow(0, outer.x(), outer.y(), outer.width(), outer.height())
                                    .toImage()
                                    .convertToFormat(QImage::Format_RGB32);
            if (shot.size() != outer.size()) {
                *why = QStringLiteral("grab failed");
                return false;
            }
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x) {
                    const QRgb got = shot.pixel(x, y);
                    const bool inside = shown.contains(QPoint(x, y));
                    const QRgb want = inside ? expected.pixel(x - picture->x(), y - picture->y()) : backdropColour.rgb();
                    if (got != want) {
                        *why = QStringLiteral("pixel %1,%2 (%3 the mask) is %4, not %5")
                                   .arg(x)
                                   .arg(y)
                                   .arg(inside ? u"inside"_qs : u"outside"_qs)
                                   .arg(got, 8, 16)
                                   .arg(want, 8, 16);
                        return false;
                    }
                }
            return true;
        };
        QString why;
        QTRY_VERIFY2_WITH_TIMEOUT(screenMatches(&why), qPrintable(why), 5000);
        QVERIFY(shown.boundingRect().width() < outer.width() && shown.boundingRect().height() < outer.height());

        const QString dir = QStringLiteral(PORLUNE_SHOT_DIR);
        const QRect around = outer.adjusted(-40, -30, 40, 30);
        QVERIFY(QGuiApplication::primaryScreen()
                    ->grabWindow(0, around.x(), around.y(), around.width(), around.height())
                    .scaled(around.size() * 4)
                    .save(QDir(dir).filePath(QStringLiteral("mailmark-xvfb.png"))));

        // The check can fail: without its mask the form's own background
        // shows around the picture.
        mark->clearMask();
        QTRY_VERIFY_WITH_TIMEOUT(!screenMatches(&why) && why.contains(QStringLiteral("outside")), 5000);
        mark->close();
        QTRY_VERIFY(!guard);
    }

    void mailMarkFollowsTheRealCursor()
    {
        TestUser u;
        Desk desk(u);
        u.ctx().iniFile().store(39, QStringLiteral("1"));
        auto w = desk.open();
        TextFile::writeLines(QDir(u.folder()).filePath(QStringLiteral("TMP/TMP") + kMe + QStringLiteral(".1")),
                             {QStringLiteral("x")});
        xdotool({QStringLiteral("mousemove"), QStringLiteral("300"), QStringLiteral("400")});
        QTRY_COMPARE(QCursor::pos(), QPoint(300, 400));
        w->Timer2_Timer();
        QPointer<frmIcon> mark = w->mailMark();
        QVERIFY(mark);
        QVERIFY(QTest::qWaitForWindowExposed(mark.data()));
        QTRY_COMPARE_WITH_TIMEOUT(winInfo(mark->winId()).position, QPoint(315, 410), 5000);

        xdotool({QStringLiteral("mousemove"), QStringLiteral("600"), QStringLiteral("120")});
        QTRY_COMPARE(QCursor::pos(), QPoint(600, 120));
        w->Timer2_Timer();
        QTRY_COMPARE_WITH_TIMEOUT(winInfo(mark->winId()).position, QPoint(615, 130), 5000);
        QVERIFY(QGuiApplication::focusWindow() != mark->windowHandle());

        // The whole desktop for the record: the main window, its icon in the
        // tray at the top right, the mail mark beside the cursor.
        QTRY_VERIFY_WITH_TIMEOUT(trayIconWidget() && winInfo(trayIconWidget()->winId()).viewable, 10000);
        QTest::qWait(300);
        QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(
            QDir(QStringLiteral(PORLUNE_SHOT_DIR)).filePath(QStringLiteral("desktop-xvfb.png"))));

        QVERIFY(QFile::remove(QDir(u.folder()).filePath(QStringLiteral("TMP/TMP") + kMe + QStringLiteral(".1"))));
        w->Timer2_Timer();
        QTRY_VERIFY(!mark);
        w->unload();
    }
};

PORLUNE_TEST_MAIN(TestDesktopX11)

#include "tst_desktop_x11.moc"
