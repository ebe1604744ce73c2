#include "board/frmIcon.h"
#include "board/frmMain.h"
#include "messaging/MessageFile.h"
#include "messaging/MessageSender.h"
#include "messaging/frmMessage.h"
#include "platform/GlobalHotKey.h"
#include "platform/HotKeyCode.h"
#include "platform/HotKeyEdit.h"
#include "platform/QuotedCsv.h"
#include "platform/FileOps.h"
#include "startup/SharedRoutines.h"
#include "platform/TextFile.h"
#include "support/TestContext.h"
#include "support/TestMain.h"
#include "DeskFixture.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWindow>

#include <X11/keysym.h>

#include <memory>

using namespace HotKeyCode;

namespace {

const QString kMe = DeskFixture::me();

// The desk of the offscreen tests: the shared fixture and its open messages.
struct Desk : DeskFixture {
    using DeskFixture::DeskFixture;

    // A received message whose window is open, as the message window leaves it.
    QString openMessage(const QString& number = QStringLiteral("1"))
    {
        const QString path = QDir(user.folder()).filePath(QStringLiteral("TMP/TMP") + kMe + u'.' + number);
        TextFile::writeLines(path, {QStringLiteral("x")});
        return path;
    }
};

QAction* action(QWidget* w, const char* name)
{
    QAction* a = w->findChild<QAction*>(QString::fromLatin1(name));
    if (!a)
        qFatal("action %s not found", name);
    return a;
}

int visibleMailMarks()
{
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<frmIcon*>(w) && w->isVisible())
            ++n;
    return n;
}

} // namespace

// Virtual key codes against Qt keys and X keysyms, and the capture rule.
class TestHotKeyCode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void qtKeysMapToVirtualKeys_data()
    {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<int>("vk");
        QTest::newRow("A") << int(Qt::Key_A) << false << 0x41;
        QTest::newRow("Z") << int(Qt::Key_Z) << false << 0x5A;
        QTest::newRow("0") << int(Qt::Key_0) << false << 0x30;
        QTest::newRow("9") << int(Qt::Key_9) << false << 0x39;
        QTest::newRow("Shift+1 is the 1 key") << int(Qt::Key_Exclam) << false << 0x31;
        QTest::newRow("Shift+2 is the 2 key (Japanese \")") << int(Qt::Key_QuoteDbl) << false << 0x32;
        QTest::newRow("Shift+9 is the 9 key") << int(Qt::Key_ParenRight) << false << 0x39;
        QTest::newRow("F1") << int(Qt::Key_F1) << false << 0x70;
        QTest::newRow("F12") << int(Qt::Key_F12) << false << 0x7B;
        QTest::newRow("F24") << int(Qt::Key_F24) << false << 0x87;
        QTest::newRow("space") << int(Qt::Key_Space) << false << 0x20;
        QTest::newRow("Page Up") << int(Qt::Key_PageUp) << false << 0x21;
        QTest::newRow("Page Down") << int(Qt::Key_PageDown) << false << 0x22;
        QTest::newRow("End") << int(Qt::Key_End) << false << 0x23;
        QTest::newRow("Home") << int(Qt::Key_Home) << false << 0x24;
        QTest::newRow("Left") << int(Qt::Key_Left) << false << 0x25;
        QTest::newRow("Up") << int(Qt::Key_Up) << false << 0x26;
        QTest::newRow("Right") << int(Qt::Key_Right) << false << 0x27;
        QTest::newRow("Down") << int(Qt::Key_Down) << false << 0x28;
        QTest::newRow("Insert") << int(Qt::Key_Insert) << false << 0x2D;
        QTest::newRow("Delete") << int(Qt::Key_Delete) << false << 0x2E;
        QTest::newRow("keypad 0") << int(Qt::Key_0) << true << 0x60;
        QTest::newRow("keypad 7") << int(Qt::Key_7) << true << 0x67;
        QTest::newRow("keypad *") << int(Qt::Key_Asterisk) << true << 0x6A;
        QTest::newRow("keypad +") << int(Qt::Key_Plus) << true << 0x6B;
        QTest::newRow("keypad -") << int(Qt::Key_Minus) << true << 0x6D;
        QTest::newRow("keypad .") << int(Qt::Key_Period) << true << 0x6E;
        QTest::newRow("keypad /") << int(Qt::Key_Slash) << true << 0x6F;
        QTest::newRow("keypad Home (NumLock off)") << int(Qt::Key_Home) << true << 0x24;
        QTest::newRow("colon key") << int(Qt::Key_Colon) << false << 0xBA;
        QTest::newRow("Shift+colon key") << int(Qt::Key_Asterisk) << false << 0xBA;
        QTest::newRow("semicolon key") << int(Qt::Key_Semicolon) << false << 0xBB;
        QTest::newRow("Shift+semicolon key") << int(Qt::Key_Plus) << false << 0xBB;
        QTest::newRow("comma") << int(Qt::Key_Comma) << false << 0xBC;
        QTest::newRow("minus") << int(Qt::Key_Minus) << false << 0xBD;
        QTest::newRow("Shift+minus (=)") << int(Qt::Key_Equal) << false << 0xBD;
        QTest::newRow("period") << int(Qt::Key_Period) << false << 0xBE;
        QTest::newRow("slash") << int(Qt::Key_Slash) << false << 0xBF;
        QTest::newRow("at") << int(Qt::Key_At) << false << 0xC0;
        QTest::newRow("[") << int(Qt::Key_BracketLeft) << false << 0xDB;
        QTest::newRow("yen") << int(Qt::Key_yen) << false << 0xDC;
        QTest::newRow("bar (Shift+yen)") << int(Qt::Key_Bar) << false << 0xDC;
        QTest::newRow("]") << int(Qt::Key_BracketRight) << false << 0xDD;
        QTest::newRow("^") << int(Qt::Key_AsciiCircum) << false << 0xDE;
        QTest::newRow("backslash (ro key)") << int(Qt::Key_Backslash) << false << 0xE2;
        QTest::newRow("underscore (Shift+ro)") << int(Qt::Key_Underscore) << false << 0xE2;
        QTest::newRow("a modifier alone") << int(Qt::Key_Control) << false << 0;
        QTest::newRow("Enter") << int(Qt::Key_Return) << false << 0;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << true << 0;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << false << 0;
        QTest::newRow("a kana key") << int(Qt::Key_Katakana) << false << 0;
    }

    void qtKeysMapToVirtualKeys()
    {
        QFETCH(int, qtKey);
        QFETCH(bool, keypad);
        QFETCH(int, vk);
        QCOMPARE(vkFromQtKey(qtKey, keypad), vk);
    }

    // Every key the program knows goes to a Qt key and back unchanged, has a
    // name and an X keysym.
    void everyKnownKeyRoundTrips()
    {
        const QList<int> vks = knownVks();
        QCOMPARE(vks.size(), 26 + 10 + 10 + 24 + 1 + 10 + 6 + 12);
        for (int vk : vks) {
            for (bool extended : {false, true}) {
                bool keypad = false;
                const int qtKey = qtKeyFromVk(vk, extended, &keypad);
                QVERIFY2(qtKey != 0, qPrintable(QString::number(vk, 16)));
                QCOMPARE(vkFromQtKey(qtKey, keypad), vk);
                QVERIFY(!keyName(vk, extended).isEmpty());
                QVERIFY(!keysymsOf(make(vk, extended ? Ext : 0)).isEmpty());
            }
        }
        QCOMPARE(qtKeyFromVk(0x07, false), 0);
        QVERIFY(keysymsOf(0x07).isEmpty());
    }

    void virtualKeysMapToKeysyms_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<quint32>("keysym");
        QTest::newRow("A grabs a") << 0x0641 << quint32(XK_a);
        QTest::newRow("5") << 0x0435 << quint32(XK_5);
        QTest::newRow("F10") << 0x0279 << quint32(XK_F10);
        QTest::newRow("F24") << 0x0487 << quint32(XK_F24);
        QTest::newRow("space") << 0x0420 << quint32(XK_space);
        QTest::newRow("extended Home") << make(0x24, Alt | Ext) << quint32(XK_Home);
        QTest::newRow("keypad Home") << make(0x24, Alt) << quint32(XK_KP_Home);
        QTest::newRow("extended Delete") << make(0x2E, Ctrl | Alt | Ext) << quint32(XK_Delete);
        QTest::newRow("extended Page Down") << make(0x22, Alt | Ext) << quint32(XK_Next);
        QTest::newRow("extended Up") << make(0x26, Alt | Ext) << quint32(XK_Up);
        QTest::newRow("numpad 3") << make(0x63, Alt) << quint32(XK_KP_3);
        QTest::newRow("numpad /") << make(0x6F, Alt | Ext) << quint32(XK_KP_Divide);
        QTest::newRow("numpad *") << make(0x6A, Alt) << quint32(XK_KP_Multiply);
        QTest::newRow("colon key") << make(0xBA, Alt) << quint32(XK_colon);
        QTest::newRow("at key") << make(0xC0, Alt) << quint32(XK_at);
        QTest::newRow("yen key: yen first") << make(0xDC, Alt) << quint32(XK_yen);
        QTest::newRow("ro key") << make(0xE2, Alt) << quint32(XK_backslash);
    }

    void virtualKeysMapToKeysyms()
    {
        QFETCH(int, code);
        QFETCH(quint32, keysym);
        const QList<quint32> syms = keysymsOf(code);
        QVERIFY(!syms.isEmpty());
        QCOMPARE(syms.first(), keysym);
    }

    // The yen key is found by "|" on X's Japanese map, where "\" is on the ro key.
    void yenKeyFallsBackToBar()
    {
        const QList<quint32> syms = keysymsOf(make(0xDC, Alt));
        QCOMPARE(syms, (QList<quint32> {XK_yen, XK_bar, XK_backslash}));
    }

    void capturedKeys_data()
    {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain letter becomes Alt + letter") << int(Qt::Key_A) << 0 << 0x0441 << u"Alt + A"_qs;
        QTest::newRow("Shift alone becomes Alt (Shift dropped)")
            << int(Qt::Key_A) << int(Qt::ShiftModifier) << 0x0441 << u"Alt + A"_qs;
        QTest::newRow("Shift+1 as typed (!) becomes Alt + 1")
            << int(Qt::Key_Exclam) << int(Qt::ShiftModifier) << 0x0431 << u"Alt + 1"_qs;
        QTest::newRow("plain F5 becomes Alt + F5") << int(Qt::Key_F5) << 0 << 0x0474 << u"Alt + F5"_qs;
        QTest::newRow("Ctrl kept") << int(Qt::Key_K) << int(Qt::ControlModifier) << 0x024B << u"Ctrl + K"_qs;
        QTest::newRow("Alt kept") << int(Qt::Key_K) << int(Qt::AltModifier) << 0x044B << u"Alt + K"_qs;
        QTest::newRow("Ctrl+Alt") << int(Qt::Key_A) << int(Qt::ControlModifier | Qt::AltModifier) << 0x0641
                                  << u"Ctrl + Alt + A"_qs;
        QTest::newRow("Ctrl+Shift keeps Shift")
            << int(Qt::Key_Z) << int(Qt::ControlModifier | Qt::ShiftModifier) << 0x035A << u"Ctrl + Shift + Z"_qs;
        QTest::newRow("all three in Windows' order")
            << int(Qt::Key_F12) << int(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier) << 0x077B
            << u"Ctrl + Shift + Alt + F12"_qs;
        QTest::newRow("extended arrow") << int(Qt::Key_Up) << int(Qt::ControlModifier) << 0x0A26 << u"Ctrl + Up"_qs;
        QTest::newRow("keypad arrow is not extended")
            << int(Qt::Key_Up) << int(Qt::ControlModifier | Qt::KeypadModifier) << 0x0226 << u"Ctrl + Num 8"_qs;
        QTest::newRow("keypad digit") << int(Qt::Key_7) << int(Qt::AltModifier | Qt::KeypadModifier) << 0x0467
                                      << u"Alt + Num 7"_qs;
        QTest::newRow("keypad divide is extended")
            << int(Qt::Key_Slash) << int(Qt::KeypadModifier) << 0x0C6F << u"Alt + Num /"_qs;
        QTest::newRow("page down") << int(Qt::Key_PageDown) << int(Qt::AltModifier) << 0x0C22 << u"Alt + Page Down"_qs;
        QTest::newRow("space") << int(Qt::Key_Space) << int(Qt::ControlModifier) << 0x0220 << u"Ctrl + Space"_qs;
        QTest::newRow("colon key") << int(Qt::Key_Colon) << int(Qt::ControlModifier) << 0x02BA << u"Ctrl + :"_qs;
        QTest::newRow("yen key") << int(Qt::Key_yen) << int(Qt::ControlModifier) << 0x02DC << u"Ctrl + ¥"_qs;
        QTest::newRow("not a hot key") << int(Qt::Key_Return) << int(Qt::ControlModifier) << 0 << u"なし"_qs;
        QTest::newRow("modifier alone") << int(Qt::Key_Alt) << int(Qt::AltModifier) << 0 << u"なし"_qs;
    }

    void capturedKeys()
    {
        QFETCH(int, qtKey);
        QFETCH(int, modifiers);
        QFETCH(int, code);
        QFETCH(QString, text);
        const int got = fromKeyPress(qtKey, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(QString::number(got, 16), QString::number(code, 16));
        QCOMPARE(HotKeyCode::text(got), text);
    }

    // Stored codes from the settings file: the flags as Windows gives them.
    void storedCodesRead_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << 0 << u"なし"_qs;
        QTest::newRow("Ctrl+Alt+P") << 1616 << u"Ctrl + Alt + P"_qs;       // 0x0650
        QTest::newRow("Shift+Alt+Home (extended)") << 3364 << u"Shift + Alt + Home"_qs; // 0x0C24
        QTest::newRow("unknown key") << 0x0607 << u"なし"_qs;
    }

    void storedCodesRead()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(HotKeyCode::text(code), text);
    }
};

// The key-capture control of the settings dialog.
class TestHotKeyEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void capturesKeysAsTheControlDoes()
    {
        QWidget form;
        auto* edit = new HotKeyEdit(&form);
        auto* next = new QLineEdit(&form);
        next->move(0, 40);
        form.show();
        edit->setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy changed(edit, &HotKeyEdit::valueChanged);

        QCOMPARE(edit->text(), QStringLiteral("なし"));
        QTest::keyClick(edit, Qt::Key_A);
        QCOMPARE(edit->value(), 0x0441);
        QCOMPARE(edit->text(), QStringLiteral("Alt + A"));
        QTest::keyClick(edit, Qt::Key_B, Qt::ShiftModifier);
        QCOMPARE(edit->value(), 0x0442);
        QTest::keyClick(edit, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(edit->value(), 0x064B);
        QCOMPARE(edit->text(), QStringLiteral("Ctrl + Alt + K"));
        QCOMPARE(changed.count(), 3);
        QCOMPARE(changed.last().first().toInt(), 0x064B);

        // A key that cannot be a hot key leaves the value alone.
        QKeyEvent kana(QEvent::KeyPress, Qt::Key_Katakana, Qt::ControlModifier);
        QApplication::sendEvent(edit, &kana);
        QCOMPARE(edit->value(), 0x064B);
        QCOMPARE(changed.count(), 3);

        // Modifiers held alone show what is being built, and go back on release.
        QTest::keyPress(edit, Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(edit->text(), QStringLiteral("Ctrl + "));
        QTest::keyRelease(edit, Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(edit->text(), QStringLiteral("Ctrl + Alt + K"));

        // Nothing typed lands in the box as text.
        QTest::keyClicks(edit, QStringLiteral("xyz"));
        QCOMPARE(edit->text(), QStringLiteral("Alt + Z"));

        // Backspace alone clears; Tab moves on and is not taken.
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->value(), 0);
        QCOMPARE(edit->text(), QStringLiteral("なし"));
        QTest::keyClick(edit, Qt::Key_Tab);
        QCOMPARE(edit->value(), 0);
        QTRY_VERIFY(next->hasFocus());
    }

    void setValueShowsTheStoredKey_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("stored Ctrl+Alt+A") << 0x0641 << 0x0641 << u"Ctrl + Alt + A"_qs;
        QTest::newRow("high bits dropped") << 0x10641 << 0x0641 << u"Ctrl + Alt + A"_qs;
        QTest::newRow("unknown key reads as none") << 0x0607 << 0 << u"なし"_qs;
        QTest::newRow("zero") << 0 << 0 << u"なし"_qs;
    }

    void setValueShowsTheStoredKey()
    {
        QFETCH(int, code);
        QFETCH(int, value);
        QFETCH(QString, text);
        HotKeyEdit edit;
        QSignalSpy changed(&edit, &HotKeyEdit::valueChanged);
        edit.setValue(code);
        QCOMPARE(edit.value(), value);
        QCOMPARE(edit.text(), text);
        QCOMPARE(changed.count(), 0);
    }

    // Alt + letter is the user's key, not a mnemonic of the dialog.
    void altLetterIsNotADialogShortcut()
    {
        QWidget form;
        auto* edit = new HotKeyEdit(&form);
        auto* button = new QAction(&form);
        button->setShortcut(QKeySequence(Qt::ALT | Qt::Key_S));
        form.addAction(button);
        QSignalSpy fired(button, &QAction::triggered);
        form.show();
        edit->setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::keyClick(edit, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(edit->value(), 0x0453);
        QCOMPARE(fired.count(), 0);
    }
};

// The tray icon, the hot key and the mail mark as the main window drives them.
class TestTrayAndMailMark : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void trayIconLivesFromLoadToUnload()
    {
        TestUser u;
        Desk desk(u);
        auto w = desk.open();
        RecordingTrayIcon& tray = u.tray();
        QVERIFY(!tray.calls().isEmpty());
        QCOMPARE(tray.calls().first().operation, ITrayIcon::Operation::Add);
        QCOMPARE(tray.calls().first().picture, 0);
        QCOMPARE(tray.calls().first().tip, QStringLiteral("Porlune Ver1.00"));
        // The tip follows the caption once the grid has been filled.
        QCOMPARE(w->windowTitle(), QStringLiteral("Porlune Ver1.00 (ﾃﾞｰﾀ取得日時:06/14 09:05)"));
        QVERIFY(tray.isAdded());
        QCOMPARE(tray.tip(), w->windowTitle());
        u.clock().advance(120);
        w->cboGroup_Click(); // an unchanged board: only the caption time moves
        QCOMPARE(tray.tip(), QStringLiteral("Porlune Ver1.00 (ﾃﾞｰﾀ取得日時:06/14 09:07)"));

        action(w.get(), "mnuP_End")->trigger();
        QVERIFY(!tray.isAdded());
        QCOMPARE(tray.calls().last().operation, ITrayIcon::Operation::Delete);
        // A caption change after unload does not bring the icon back.
        w->setWindowTitle(QStringLiteral("x"));
        QVERIFY(!tray.isAdded());
    }

    void leftClickRestoresAHiddenWindow_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("closed to the tray") << u"close"_qs;
        QTest::newRow("minimized with task bar hiding") << u"minimize"_qs;
        QTest::newRow("maximized then minimized") << u"maxmin"_qs;
    }

    void leftClickRestoresAHiddenWindow()
    {
        QFETCH(QString, how);
        TestUser u;
        Desk desk(u);
        u.ctx().iniFile().store(42, QStringLiteral("1"));
        u.ctx().iniFile().store(43, QStringLiteral("1"));
        auto w = desk.open();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        if (how == u"close") {
            w->windowHandle()->close();
        } else {
            if (how == u"maxmin")
                w->showMaximized();
            w->showMinimized();
        }
        QTRY_VERIFY(w->isHidden());
        u.tray().leftClick();
        QVERIFY(w->isVisible());
        QCOMPARE(w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized), Qt::WindowStates());
        // Nothing of it was reported.
        QVERIFY(u.box().shown().isEmpty());
    }

    // Without a notification area the tray icon is no way back: the window is
    // hidden only while the hot key can bring it back; otherwise it stays
    // minimized on the task bar, where the user can still reach and end it.
    void noNotificationAreaKeepsTheWindowWithinReach_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("hotKey");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("closed, no hot key") << u"close"_qs << false << false;
        QTest::newRow("minimized, no hot key") << u"minimize"_qs << false << false;
        QTest::newRow("closed, hot key held") << u"close"_qs << true << true;
        QTest::newRow("minimized, hot key held") << u"minimize"_qs << true << true;
    }

    void noNotificationAreaKeepsTheWindowWithinReach()
    {
        QFETCH(QString, how);
        QFETCH(bool, hotKey);
        QFETCH(bool, hidden);
        TestUser u;
        Desk desk(u);
        u.ctx().iniFile().store(42, QStringLiteral("1"));
        u.ctx().iniFile().store(43, QStringLiteral("1"));
        u.ctx().iniFile().store(63, hotKey ? QStringLiteral("1") : QStringLiteral("0"));
        u.ctx().iniFile().store(64, QString::number(0x0641));
        u.tray().setAreaAvailable(false);
        auto w = desk.open();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        if (how == u"close")
            w->windowHandle()->close();
        else
            w->showMinimized();
        if (hidden) {
            QTRY_VERIFY(w->isHidden());
            QVERIFY(u.hotKey().press(0x0641));
        } else {
            QTRY_VERIFY(w->isMinimized());
            QCoreApplication::processEvents(); // the deferred hide of a minimize
            QCoreApplication::processEvents();
            QVERIFY(!w->isHidden());
        }
        QVERIFY(w->isVisible());
        QVERIFY(u.tray().isAdded());
        QVERIFY(u.box().shown().isEmpty());
    }

    void rightClickShowsTheTrayMenu()
    {
        TestUser u;
        Desk desk(u);
        auto w = desk.open();
        QSignalSpy ended(w.get(), &frmMain::unloaded);
        auto* menu = w->findChild<QMenu*>(QStringLiteral("mnuPopup1"));
        QVERIFY(menu);
        QVERIFY(!menu->isVisible());
        u.tray().rightClick(QPoint(300, 200));
        QTRY_VERIFY(menu->isVisible());
        QStringList items;
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                items << a->text();
        QCOMPARE(items, (QStringList {u"メッセージ確認"_qs, u"Porluneを終了する"_qs}));
        QCOMPARE(menu->pos(), QPoint(300, 200));
        // Its end item, clicked in the menu, unloads the program.
        QAction* end = action(w.get(), "mnuP_End");
        QVERIFY(menu->actions().contains(end));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(end).center());
        QCOMPARE(ended.count(), 1);
        QVERIFY(!u.tray().isAdded());
    }

    void hotKeyRegisteredByItsSetting_data()
    {
        QTest::addColumn<QString>("active");
        QTest::addColumn<int>("code");
        QTest::addColumn<QList<int>>("history");
        QTest::newRow("on") << u"1"_qs << 0x064B << QList<int> {0x064B};
        QTest::newRow("off") << u"0"_qs << 0x064B << QList<int> {};
        QTest::newRow("on without a key") << u"1"_qs << 0 << QList<int> {0};
    }

    void hotKeyRegisteredByItsSetting()
    {
        QFETCH(QString, active);
        QFETCH(int, code);
        QFETCH(QList<int>, history);
        TestUser u;
        Desk desk(u);
        u.ctx().iniFile().store(63, active);
        u.ctx().iniFile().store(64, QString::number(code));
        {
            auto w = desk.open();
            QCOMPARE(u.hotKey().history(), history);
            QCOMPARE(u.hotKey().registeredCode(), active == u"1" ? code : 0);
            w->unload();
            QCOMPARE(u.hotKey().registeredCode(), 0);
        }
        QVERIFY(u.box().shown().isEmpty());
    }

    void hotKeyRestoresAMinimizedWindow_data()
    {
        QTest::addColumn<QString>("hideWhenMinimized");
        QTest::newRow("stays on the task bar") << u"0"_qs;
        QTest::newRow("hidden when minimized") << u"1"_qs;
    }

    void hotKeyRestoresAMinimizedWindow()
    {
        QFETCH(QString, hideWhenMinimized);
        TestUser u;
        Desk desk(u);
        u.ctx().iniFile().store(43, hideWhenMinimized);
        u.ctx().iniFile().store(63, QStringLiteral("1"));
        u.ctx().iniFile().store(64, QString::number(0x0641));
        auto w = desk.open();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->showMinimized();
        QTRY_VERIFY(w->isMinimized() || w->isHidden());
        QVERIFY(!u.hotKey().press(0x0642)); // another key does nothing
        QVERIFY(w->isMinimized() || w->isHidden());
        QVERIFY(u.hotKey().press(0x0641));
        QVERIFY(w->isVisible());
        QVERIFY(!w->isMinimized());
        // A later tick of the minimize handling does not hide it again.
        QTest::qWait(20);
        QVERIFY(w->isVisible());
    }

    void takenHotKeyIsNotReported()
    {
        TestUser u;
        Desk desk(u);
        u.ctx().iniFile().store(63, QStringLiteral("1"));
        u.ctx().iniFile().store(64, QString::number(0x0641));
        u.hotKey().markTaken(0x0641);
        auto w = desk.open();
        QCOMPARE(u.hotKey().history(), QList<int> {0x0641});
        QCOMPARE(u.hotKey().registeredCode(), 0);
        QVERIFY(!u.hotKey().press(0x0641));
        QVERIFY(u.box().shown().isEmpty());
    }

    void mailMarkFollowsTheCursorWhileAMessageIsOpen()
    {
        TestUser u;
        Desk desk(u);
        u.ctx().iniFile().store(39, QStringLiteral("1"));
        auto w = desk.open();
        QVERIFY(w->Timer2.isActive());
        QCOMPARE(w->Timer2.interval(), 10000);

        w->Timer2_Timer();
        QVERIFY(!w->mailMark());
        QCOMPARE(w->Timer2.interval(), 10000);

        // Somebody else's file and a file without a number do not count.
        TextFile::writeLines(QDir(u.folder()).filePath(QStringLiteral("TMP/TMP佐藤花子.1")), {QStringLiteral("x")});
        TextFile::writeLines(QDir(u.folder()).filePath(QStringLiteral("TMP/TMP") + kMe), {QStringLiteral("x")});
        w->Timer2_Timer();
        QVERIFY(!w->mailMark());

        const QString file = desk.openMessage(QStringLiteral("3"));
        QCursor::setPos(200, 300);
        w->Timer2_Timer();
        QCOMPARE(w->Timer2.interval(), 100);
        QVERIFY(w->Timer2.isActive());
        QPointer<frmIcon> mark = w->mailMark();
        QVERIFY(mark);
        QVERIFY(mark->isVisible());
        QCOMPARE(mark->pos(), QPoint(215, 310));
        QCOMPARE(visibleMailMarks(), 1);

        QCursor::setPos(640, 20);
        w->Timer2_Timer();
        QCOMPARE(w->mailMark(), mark.data()); // the same window, moved
        QCOMPARE(mark->pos(), QPoint(655, 30));
        QCOMPARE(visibleMailMarks(), 1);

        QVERIFY(QFile::remove(file));
        w->Timer2_Timer();
        QCOMPARE(w->Timer2.interval(), 10000);
        QVERIFY(!w->mailMark());
        QTRY_VERIFY(!mark); // unloaded, not only hidden
        QCOMPARE(visibleMailMarks(), 0);
    }

    void unloadTakesTheMailMarkAlong()
    {
        TestUser u;
        Desk desk(u);
        u.ctx().iniFile().store(39, QStringLiteral("1"));
        auto w = desk.open();
        desk.openMessage();
        w->Timer2_Timer();
        QPointer<frmIcon> mark = w->mailMark();
        QVERIFY(mark);
        w->unload();
        QTRY_VERIFY(!mark);
    }

    void trayBlinksWhileAMessageIsOpen()
    {
        TestUser u;
        Desk desk(u);
        u.ctx().iniFile().store(40, QStringLiteral("1"));
        auto w = desk.open();
        RecordingTrayIcon& tray = u.tray();
        QVERIFY(w->Timer3.isActive());
        QCOMPARE(w->Timer3.interval(), 10000);

        tray.clear();
        w->Timer3_Timer();
        QVERIFY(tray.calls().isEmpty()); // nothing open, picture 0 already
        QCOMPARE(w->Timer3.interval(), 10000);

        const QString file = desk.openMessage();
        for (int tick = 0; tick < 5; ++tick)
            w->Timer3_Timer();
        QCOMPARE(w->Timer3.interval(), 500);
        QCOMPARE(tray.pictureHistory(), (QList<int> {1, 0, 1, 0, 1}));
        for (const RecordingTrayIcon::Call& c : tray.calls()) {
            QCOMPARE(c.operation, ITrayIcon::Operation::Modify);
            QCOMPARE(c.tip, w->windowTitle());
        }

        // Closed while picture 1 shows: picture 0 comes back, once.
        QVERIFY(QFile::remove(file));
        tray.clear();
        w->Timer3_Timer();
        w->Timer3_Timer();
        QCOMPARE(tray.calls().size(), 1);
        QCOMPARE(tray.picture(), 0);
        QCOMPARE(w->Timer3.interval(), 10000);

        // A caption change during blinking keeps the picture showing.
        desk.openMessage();
        w->Timer3_Timer();
        QCOMPARE(tray.picture(), 1);
        w->setWindowTitle(QStringLiteral("Porlune Ver1.00 (ﾃﾞｰﾀ取得日時:06/14 10:00)"));
        QCOMPARE(tray.picture(), 1);
        QCOMPARE(tray.tip(), QStringLiteral("Porlune Ver1.00 (ﾃﾞｰﾀ取得日時:06/14 10:00)"));
    }

    // A real message, from another user's send through the poll to the
    // message window and its close, drives both indicators.
    void receivedMessageDrivesMarkAndBlink()
    {
        QTemporaryDir mailPlace;
        TestUser sender;
        sender.loadSettings();
        sender.ctx().iniFile().store(26, QStringLiteral("Taro"));
        sender.ctx().iniFile().store(29, mailPlace.path());
        for (const char* folder : {"TMP", "TIM", "RCV"})
            QDir(sender.folder()).mkdir(QString::fromLatin1(folder));
        MessageFile m;
        m.addressees = MessageFile::addresseeLine({kMe});
        m.sender = QStringLiteral("Taro");
        m.sentAt = DateTimeText(sender.clock(), 1);
        m.sealed = QStringLiteral("0");
        m.receipt = QStringLiteral("0");
        m.mailId = QStringLiteral("1");
        m.setText(QStringLiteral("至急お電話ください"));
        MessageSender::Options options;
        options.procedure = QStringLiteral("(test");
        QVERIFY(MessageSender(sender.ctx()).send(m, {kMe}, options).allDelivered());

        TestUser u;
        Desk desk(u);
        IniFile& ini = u.ctx().iniFile();
        ini.store(29, mailPlace.path());
        ini.store(39, QStringLiteral("1"));
        ini.store(40, QStringLiteral("1"));
        Fs::writeBytes(u.ctx().settings().text(32), QByteArray());
        auto w = desk.open();
        QCOMPARE(w->messageWindows().size(), 1); // the first poll of the load
        frmMessage* message = w->messageWindows().first();

        QCursor::setPos(100, 100);
        w->Timer2_Timer();
        w->Timer3_Timer();
        QVERIFY(w->mailMark() && w->mailMark()->isVisible());
        QCOMPARE(w->mailMark()->pos(), QPoint(115, 110));
        QCOMPARE(u.tray().picture(), 1);
        QCOMPARE(w->Timer2.interval(), 100);
        QCOMPARE(w->Timer3.interval(), 500);

        QVERIFY(message->cmdClose_Click());
        QTRY_VERIFY(w->messageWindows().isEmpty());
        w->Timer2_Timer();
        w->Timer3_Timer();
        QVERIFY(!w->mailMark());
        QCOMPARE(u.tray().picture(), 0);
        QCOMPARE(w->Timer2.interval(), 10000);
        QCOMPARE(w->Timer3.interval(), 10000);
    }

    void mailMarkWindowIsCutToItsPicture()
    {
        frmIcon mark;
        QVERIFY(mark.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(mark.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(mark.windowFlags() & Qt::WindowDoesNotAcceptFocus);
        QCOMPARE(mark.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(mark.testAttribute(Qt::WA_ShowWithoutActivating));
        auto* picture = mark.findChild<QLabel*>(QStringLiteral("imgMail"));
        QVERIFY(picture);
        QVERIFY(!picture->pixmap().isNull());
        // The window is larger than its picture; the mask keeps only the picture.
        QVERIFY(mark.width() > picture->width() && mark.height() > picture->height());
        QCOMPARE(mark.mask(), QRegion(picture->geometry()));
        mark.show();
        QCOMPARE(mark.mask(), QRegion(picture->geometry()));
        QVERIFY(!QApplication::activeWindow() || QApplication::activeWindow() != &mark);
    }

    void systemHotKeyWithoutX11HoldsNothing()
    {
        // Offscreen (as on Wayland) there is no X display to grab a key on.
        std::unique_ptr<IGlobalHotKey> key = createGlobalHotKey();
        QVERIFY(!key->registerHotKey(0x0641));
        QCOMPARE(key->registeredCode(), 0);
        key->unregisterHotKey();
    }
};

PORLUNE_TEST_MAIN(TestHotKeyCode, TestHotKeyEdit, TestTrayAndMailMark)

#include "tst_desktop.moc"
