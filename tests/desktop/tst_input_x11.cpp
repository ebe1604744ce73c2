// The input-activity service on a real X display (tools/xvfb-run-test.sh):
// keys and buttons pressed through the X server with xdotool count as use,
// moving the mouse does not, and the presses still reach the focused window.
#include "platform/InputActivity.h"
#include "support/TestMain.h"

#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QTest>

#include <memory>

namespace {

void xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    QVERIFY2(p.waitForFinished(15000), "xdotool did not finish");
    QCOMPARE(p.exitCode(), 0);
}

} // namespace

class TestInputX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        m_activity = createInputActivity();
        QVERIFY(m_activity->isAvailable());
        m_edit = std::make_unique<QLineEdit>();
        m_edit->setObjectName(QStringLiteral("focused"));
        m_edit->setGeometry(200, 200, 300, 40);
        m_edit->show();
        m_edit->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_edit.get()));
        m_edit->setFocus();
        m_activity->usedSincePoll(); // start clean
    }

    void cleanupTestCase()
    {
        m_edit.reset();
        m_activity.reset();
    }

    void nothingBetweenPolls()
    {
        QTest::qWait(200);
        QVERIFY(!m_activity->usedSincePoll());
    }

    // Only the mouse moves: no use. Relative moves go through the server's
    // input devices as a real mouse does (an absolute move is a warp, which
    // makes no device event at all).
    void mouseMotionAlone()
    {
        for (int k = 0; k < 5; ++k)
            xdotool({QStringLiteral("mousemove_relative"), QStringLiteral("--"), QString::number(40 - 20 * k),
                     QString::number(30)});
        QTest::qWait(200);
        QVERIFY(!m_activity->usedSincePoll());
    }

    // Typed keys count once per poll, and the focused window still gets them.
    void keyPressCountsAndReachesTheWindow()
    {
        m_edit->clear();
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), QStringLiteral("abc")});
        QTRY_COMPARE(m_edit->text(), QStringLiteral("abc"));
        QVERIFY(m_activity->usedSincePoll());
        QVERIFY(!m_activity->usedSincePoll()); // nothing since
    }

    // A press of a key that types nothing (Shift) counts too.
    void modifierKeyCounts()
    {
        xdotool({QStringLiteral("key"), QStringLiteral("shift")});
        QVERIFY(m_activity->usedSincePoll());
    }

    // A button press, here on the desktop away from the window.
    void buttonPressCounts_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("left") << 1;
        QTest::newRow("right") << 3;
    }

    void buttonPressCounts()
    {
        QFETCH(int, button);
        xdotool({QStringLiteral("mousemove"), QStringLiteral("900"), QStringLiteral("700")});
        QVERIFY(!m_activity->usedSincePoll());
        xdotool({QStringLiteral("click"), QString::number(button)});
        QVERIFY(m_activity->usedSincePoll());
    }

    // An open menu grabs keyboard and pointer; presses during the grab count.
    void pressDuringAnotherGrab()
    {
        QMenu menu;
        menu.addAction(QStringLiteral("項目"));
        menu.popup(QPoint(300, 300));
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        QTest::qWait(200);
        m_activity->usedSincePoll();
        xdotool({QStringLiteral("key"), QStringLiteral("shift")});
        QVERIFY(m_activity->usedSincePoll());
        menu.close();
    }

private:
    std::unique_ptr<IInputActivity> m_activity;
    std::unique_ptr<QLineEdit> m_edit;
};

PORLUNE_TEST_MAIN(TestInputX11)

#include "tst_input_x11.moc"
