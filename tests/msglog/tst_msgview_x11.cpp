// The message viewer on the demo office, on a real X display: the splitter
// dragged by X pointer events (xdotool) stops 100 twips from the edge, and the
// window with a quoted reply shown is saved as build/msgview-xvfb.png.
#include "msglog/frmMsgView.h"
#include "platform/Twips.h"
#include "support/Controls.h"
#include "support/FakeMainHost.h"
#include "support/TestContext.h"
#include "support/TestMain.h"
#include "support/XTool.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QProcess>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeWidget>

class TestMsgViewX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void demoOfficeViewer()
    {
        QTemporaryDir dir;
        QProcess demo;
        demo.start(QStringLiteral(PORLUNE_DEMO_TOOL), {dir.path()});
        QVERIFY(demo.waitForFinished(30000));
        QCOMPARE(demo.exitCode(), 0);
        TestUser user(dir.path());
        user.loadSettings();
        FakeMainHost host;
        QPointer<frmMsgView> w = new frmMsgView(user.ctx(), host);
        w->Form_Load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QVERIFY(user.box().texts().isEmpty()); // the demo log reads cleanly
        QVERIFY(w->log().size() >= 30);

        // Drag the bar between the panes far to the left with the X pointer.
        auto* bar = control<QFrame>(w, "Image1");
        const QPoint from = bar->mapToGlobal(bar->rect().center());
        QVERIFY(xdotool({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1"}));
        QTRY_VERIFY(control<QFrame>(w, "Picture1")->isVisible());
        QVERIFY(xdotool({"mousemove", "0", QString::number(from.y())}));
        QVERIFY(xdotool({"mouseup", "1"}));
        QTRY_COMPARE(bar->x(), Twips::toPixels(100));
        // And back to a comfortable width.
        const QPoint now = bar->mapToGlobal(bar->rect().center());
        QVERIFY(xdotool({"mousemove", QString::number(now.x()), QString::number(now.y()), "mousedown", "1",
                         "mousemove", QString::number(now.x() + Twips::toPixels(2500)), QString::number(now.y()),
                         "mouseup", "1"}));
        QTRY_VERIFY(bar->x() > Twips::toPixels(2000));

        // The newest day's reply that quotes two levels deep.
        auto* tree = control<QTreeWidget>(w, "TreeView1");
        QTreeWidgetItem* person = tree->findItems(QStringLiteral("小林恵"), Qt::MatchExactly | Qt::MatchRecursive).constLast();
        QVERIFY(person);
        tree->setCurrentItem(person);
        auto* grid = control<QTableView>(w, "DataGrid1");
        QVERIFY(grid->model()->rowCount() >= 3);
        grid->setCurrentIndex(grid->model()->index(2, 1));
        const QString text = control<QTextEdit>(w, "txtMsg")->toPlainText();
        QVERIFY2(text.contains(QStringLiteral(">>10:00 ミナト 森様")), qPrintable(text));
        QTest::qWait(200);

        const QRect frame = w->frameGeometry();
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        QVERIFY(!shot.isNull());
        QVERIFY(shot.save(QDir(QStringLiteral(PORLUNE_SHOT_DIR)).filePath(QStringLiteral("msgview-xvfb.png"))));
        w->close();
    }
};

PORLUNE_TEST_MAIN(TestMsgViewX11)

#include "tst_msgview_x11.moc"
