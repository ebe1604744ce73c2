// The general settings dialog over a loaded main window: the two interval
// checks, what is stored, the timers and the hot key.
#include "board/frmMain.h"
#include "dialogs/GeneralSettings.h"
#include "dialogs/frmKSettei.h"
#include "platform/FileOps.h"
#include "platform/HotKeyCode.h"
#include "platform/HotKeyEdit.h"
#include "startup/IniFile.h"
#include "support/Controls.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <memory>

namespace {

using namespace HotKeyCode;
const int kCtrlAltA = ((Ctrl | Alt) << 8) | VkA;
const int kCtrlShiftB = ((Ctrl | Shift) << 8) | (VkA + 1);

// The six behaviour switches besides the hot key's, with their settings.
const std::pair<const char*, int> kSwitches[] = {{"chkfrmClose", 42}, {"chkTaskBar", 43}, {"chkFunction", 52},
                                                 {"chkESC", 76},      {"chkListUp", 55},  {"chkGoLog", 65}};

QByteArray settingRecord(const TestUser& u, int number)
{
    return Fs::readBytes(QDir(u.folder()).filePath(QStringLiteral("Porlune.INI")))
        .mid((number - 1) * IniFile::RecordSize, IniFile::RecordSize);
}

std::unique_ptr<frmMain> loadedMain(TestUser& u, const QList<std::pair<int, QString>>& stored)
{
    u.loadSettings();
    for (const auto& [number, text] : stored)
        u.ctx().iniFile().store(number, text);
    auto w = std::make_unique<frmMain>(u.ctx());
    w->Form_Load();
    return w;
}

} // namespace

class TestGeneralSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void intervalText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("value"); // -1: refused
        QTest::newRow("top minutes") << "499" << 499 << 499;
        QTest::newRow("above") << "500" << 499 << -1;
        QTest::newRow("negative") << "-1" << 499 << -1;
        QTest::newRow("text") << "abc" << 499 << -1;
        QTest::newRow("empty") << "" << 499 << -1;
        QTest::newRow("blanks around") << " 30 " << 9999 << 30;
        QTest::newRow("wide digits") << "２５" << 499 << 25;
        QTest::newRow("leading zeros") << "0060" << 9999 << 60;
        QTest::newRow("fraction") << "2.5" << 9999 << -1;
        QTest::newRow("plus sign") << "+5" << 9999 << -1;
        QTest::newRow("exponent") << "1e3" << 9999 << -1;
        QTest::newRow("digits past any int") << "99999999999999999999" << 9999 << -1;
    }
    void intervalText()
    {
        QFETCH(QString, typed);
        QFETCH(int, max);
        QFETCH(int, value);
        QCOMPARE(GeneralSettings::parseInterval(typed, max).value_or(-1), value);
    }

    // OK: both intervals are checked before anything is stored; accepted ones
    // are stored as canonical numbers, held (FTP in seconds) and restart the
    // board refresh and FTP timers.
    void okChecksThenStores_data()
    {
        QTest::addColumn<QString>("upTime");
        QTest::addColumn<QString>("ftpTime");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<int>("refresh");     // held after OK
        QTest::addColumn<int>("ftpSeconds");
        const QString ftpWrong = QStringLiteral("FTPする時間を正しく入力してください");
        const QString upWrong = QStringLiteral("掲示板を更新する時間を正しく入力してください");
        QTest::newRow("499 minutes") << "300" << "499" << "" << 300 << 29940;
        QTest::newRow("refresh 0 leaves Timer4 off") << "0" << "5" << "" << 0 << 300;
        QTest::newRow("FTP 0 stops Timer5") << "120" << "0" << "" << 120 << 0;
        QTest::newRow("wide digits stored plain") << "６０" << "１" << "" << 60 << 60;
        QTest::newRow("FTP 500") << "120" << "500" << ftpWrong << 600 << 120;
        QTest::newRow("FTP -1") << "120" << "-1" << ftpWrong << 600 << 120;
        QTest::newRow("FTP text") << "120" << "abc" << ftpWrong << 600 << 120;
        QTest::newRow("refresh 10000") << "10000" << "500" << upWrong << 600 << 120;
    }
    void okChecksThenStores()
    {
        QFETCH(QString, upTime);
        QFETCH(QString, ftpTime);
        QFETCH(QString, message);
        QFETCH(int, refresh);
        QFETCH(int, ftpSeconds);
        TestUser u;
        auto w = loadedMain(u, {{41, QStringLiteral("600")}, {82, QStringLiteral("2")}});
        QVERIFY(w->Timer4.isActive() && w->Timer5.isActive());
        const QByteArray record41 = settingRecord(u, 41), record82 = settingRecord(u, 82);

        frmKSettei d(u.ctx(), *w);
        QCOMPARE(control<QLineEdit>(&d, "txtUpTime")->text(), QStringLiteral("600"));
        QCOMPARE(control<QLineEdit>(&d, "txtFtpTime")->text(), QStringLiteral("2"));
        control<QLineEdit>(&d, "txtUpTime")->setText(upTime);
        control<QLineEdit>(&d, "txtFtpTime")->setText(ftpTime);
        control<QCheckBox>(&d, "chkGoLog")->setChecked(true);
        control<QPushButton>(&d, "cmdOk")->click();

        const Settings& s = u.ctx().settings();
        QCOMPARE(s.intValue(41), refresh);
        QCOMPARE(s.intValue(82), ftpSeconds);
        if (!message.isEmpty()) {
            QCOMPARE(u.box().texts(), QStringList {message});
            QCOMPARE(u.box().shown().first().title, QStringLiteral("入力エラー"));
            QVERIFY(d.result() != QDialog::Accepted);
            QCOMPARE(settingRecord(u, 41), record41);
            QCOMPARE(settingRecord(u, 82), record82);
            QCOMPARE(s.intValue(65), 0);
            QVERIFY(w->Timer4.isActive() && w->Timer5.isActive());
            return;
        }
        QVERIFY(u.box().shown().isEmpty());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(settingRecord(u, 41), IniFile::encodeRecord(41, QByteArray::number(refresh)));
        QCOMPARE(settingRecord(u, 82), IniFile::encodeRecord(82, QByteArray::number(ftpSeconds / 60)));
        QCOMPARE(w->Timer4.isActive(), refresh > 0);
        QCOMPARE(w->Timer5.isActive(), ftpSeconds > 0);
        TestUser reread(u.folder());
        reread.loadSettings();
        QCOMPARE(reread.ctx().settings().intValue(82), ftpSeconds);
        QCOMPARE(reread.ctx().settings().intValue(65), 1);
    }

    // The six switches round-trip: set, stored, shown again, cleared.
    void switchesStoredAndShown()
    {
        TestUser u;
        QList<std::pair<int, QString>> allOff;
        for (const auto& [name, number] : kSwitches)
            allOff.append({number, QStringLiteral("0")});
        auto w = loadedMain(u, allOff);
        for (const bool on : {true, false}) {
            frmKSettei d(u.ctx(), *w);
            for (const auto& [name, number] : kSwitches) {
                QCOMPARE(control<QCheckBox>(&d, name)->isChecked(), !on);
                control<QCheckBox>(&d, name)->setChecked(on);
            }
            control<QPushButton>(&d, "cmdOk")->click();
            QCOMPARE(d.result(), int(QDialog::Accepted));
            TestUser reread(u.folder());
            reread.loadSettings();
            for (const auto& [name, number] : kSwitches)
                QCOMPARE(reread.ctx().settings().intValue(number), on ? 1 : 0);
        }
    }

    // The hot key is held only while the switch is on, changes at once on OK,
    // and neither opening the dialog nor cancelling it touches it.
    void hotKey_data()
    {
        QTest::addColumn<bool>("onAtStart");
        QTest::addColumn<bool>("switchOn");
        QTest::addColumn<int>("typed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("held");
        QTest::addColumn<int>("stored63");
        QTest::addColumn<int>("stored64");
        QTest::newRow("off stays off through cancel") << false << true << kCtrlShiftB << false << 0 << 0 << kCtrlAltA;
        QTest::newRow("turned off stores 0") << true << false << kCtrlAltA << true << 0 << 0 << 0;
        QTest::newRow("turned on holds at once") << false << true << kCtrlAltA << true << kCtrlAltA << 1 << kCtrlAltA;
        QTest::newRow("changed key") << true << true << kCtrlShiftB << true << kCtrlShiftB << 1 << kCtrlShiftB;
        QTest::newRow("cancel keeps the key") << true << true << kCtrlShiftB << false << kCtrlAltA << 1 << kCtrlAltA;
    }
    void hotKey()
    {
        QFETCH(bool, onAtStart);
        QFETCH(bool, switchOn);
        QFETCH(int, typed);
        QFETCH(bool, ok);
        QFETCH(int, held);
        QFETCH(int, stored63);
        QFETCH(int, stored64);
        TestUser u;
        auto w = loadedMain(u, {{63, onAtStart ? QStringLiteral("1") : QStringLiteral("0")},
                                {64, QString::number(kCtrlAltA)}});
        QCOMPARE(u.hotKey().registeredCode(), onAtStart ? kCtrlAltA : 0);
        const qsizetype before = u.hotKey().history().size();

        frmKSettei d(u.ctx(), *w);
        QCOMPARE(u.hotKey().history().size(), before); // opening changes nothing
        QCOMPARE(control<QCheckBox>(&d, "chkActive")->isChecked(), onAtStart);
        QCOMPARE(control<HotKeyEdit>(&d, "hotKeyEdit")->value(), kCtrlAltA);
        control<QCheckBox>(&d, "chkActive")->setChecked(switchOn);
        QCOMPARE(control<QWidget>(&d, "picHotKey")->isEnabled(), switchOn);
        control<HotKeyEdit>(&d, "hotKeyEdit")->setValue(typed);
        control<QPushButton>(&d, ok ? "cmdOk" : "cmdCancel")->click();

        QCOMPARE(u.hotKey().registeredCode(), held);
        TestUser reread(u.folder());
        reread.loadSettings();
        QCOMPARE(reread.ctx().settings().intValue(63), stored63);
        QCOMPARE(reread.ctx().settings().intValue(64), stored64);
        QCOMPARE(u.ctx().settings().intValue(64), stored64);
    }

    // The menu item opens the dialog, with the message poll paused meanwhile.
    void menuOpensTheDialog()
    {
        TestUser u;
        auto w = loadedMain(u, {{37, QStringLiteral("60")}});
        QAction* item = w->findChild<QAction*>(QStringLiteral("mnuBasic"));
        QVERIFY(item && item->isEnabled());
        bool opened = false, pollPaused = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<frmKSettei*>(QApplication::activeModalWidget());
            opened = d != nullptr;
            pollPaused = !w->Timer1.isActive();
            if (d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("基本設定"));
                control<QPushButton>(d, "cmdCancel")->click();
            }
        });
        item->trigger();
        QVERIFY(opened);
        QVERIFY(pollPaused);
        QVERIFY(w->Timer1.isActive());
    }
};

PORLUNE_TEST_MAIN(TestGeneralSettings)

#include "tst_ksettei.moc"
