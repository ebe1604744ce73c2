// The display settings dialog: colours and font stored as chosen, the row
// height checked on every way of closing, the start-up switches.
#include "dialogs/DisplaySettings.h"
#include "dialogs/frmHSettei.h"
#include "platform/SystemColors.h"
#include "startup/IniFile.h"
#include "support/Controls.h"
#include "support/RecordingHost.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

namespace DS = DisplaySettings;

// What the settings file holds now, read by a fresh copy.
Settings storedSettings(TestUser& u)
{
    Settings fresh;
    IniFile ini(u.ctx().settingsPath(), u.folder(), fresh, u.box());
    ini.Inifile_Read();
    return fresh;
}

void click(QObject* w, const QString& name)
{
    control<QPushButton>(w, name)->click();
}

} // namespace

class TestHSettei : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // "グリッドの高さ" by every way of closing: a usable height is stored × 10;
    // anything else is replaced by "22" with its message and the dialog stays
    // open, so the next close stores 220.
    void rowHeightOnClosing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("title"); // of the message; empty: none
        QTest::addColumn<int>("stored");
        QTest::newRow("45, close button") << "45" << "button" << "" << 450;
        QTest::newRow("blanks around, Esc") << " 7 " << "escape" << "" << 70;
        QTest::newRow("0, title bar") << "0" << "titlebar" << "" << 0;
        QTest::newRow("9999") << "9999" << "button" << "" << 99990;
        QTest::newRow("abc, close button") << "abc" << "button" << "正しい値を入力してください" << 220;
        QTest::newRow("abc, Esc") << "abc" << "escape" << "正しい値を入力してください" << 220;
        QTest::newRow("abc, title bar") << "abc" << "titlebar" << "正しい値を入力してください" << 220;
        QTest::newRow("empty") << "" << "button" << "正しい値を入力してください" << 220;
        QTest::newRow("decimal") << "22.5" << "button" << "正しい値を入力してください" << 220;
        QTest::newRow("12000") << "12000" << "button" << "入力エラー" << 220;
        QTest::newRow("12000, title bar") << "12000" << "titlebar" << "入力エラー" << 220;
        QTest::newRow("negative") << "-5" << "escape" << "入力エラー" << 220;
        QTest::newRow("huge") << "99999999999999999999" << "button" << "入力エラー" << 220;
    }
    void rowHeightOnClosing()
    {
        QFETCH(QString, text);
        QFETCH(QString, way);
        QFETCH(QString, title);
        QFETCH(int, stored);
        TestUser u;
        u.loadSettings();
        RecordingHost host;
        frmHSettei w(u.ctx(), host);
        w.show();
        auto* txtGrid = control<QLineEdit>(&w, "txtGrid");
        QCOMPARE(txtGrid->text(), QStringLiteral("22")); // a stored 225 shows as 22
        txtGrid->setText(text);
        auto closeIt = [&] {
            if (way == QLatin1String("button"))
                click(&w, QStringLiteral("cmdClose"));
            else if (way == QLatin1String("escape"))
                QTest::keyClick(&w, Qt::Key_Escape);
            else
                w.close();
        };
        closeIt();
        if (!title.isEmpty()) {
            QCOMPARE(u.box().shown().size(), 1);
            QCOMPARE(u.box().shown()[0].title, title);
            QCOMPARE(u.box().shown()[0].icon, MsgIcon::Stop);
            QVERIFY(u.box().shown()[0].systemModal);
            QVERIFY(w.isVisible());
            QCOMPARE(txtGrid->text(), QStringLiteral("22"));
            QCOMPARE(host.redraws, 0);
            closeIt();
        }
        QVERIFY(!w.isVisible());
        QCOMPARE(u.box().shown().size(), title.isEmpty() ? 0 : 1);
        QCOMPARE(u.ctx().settings().intValue(DS::RowHeight), stored);
        QCOMPARE(storedSettings(u).intValue(DS::RowHeight), stored);
        QCOMPARE(host.redraws, 1);
    }

    // Turning the memo window off turns the banner off and greys it; turning
    // it on again leaves the banner off but usable. Both stored on closing.
    void startWindowsSwitches()
    {
        TestUser u;
        u.loadSettings();
        RecordingHost host;
        {
            frmHSettei w(u.ctx(), host);
            auto* chkNani = control<QCheckBox>(&w, "chkNani");
            auto* chkKoukoku = control<QCheckBox>(&w, "chkKoukoku");
            QVERIFY(chkNani->isChecked() && chkKoukoku->isChecked() && chkKoukoku->isEnabled());
            chkNani->click();
            QVERIFY(!chkKoukoku->isChecked());
            QVERIFY(!chkKoukoku->isEnabled());
            chkNani->click();
            QVERIFY(!chkKoukoku->isChecked());
            QVERIFY(chkKoukoku->isEnabled());
            chkNani->click();
            click(&w, QStringLiteral("cmdClose"));
        }
        QCOMPARE(storedSettings(u).intValue(DS::ShowMemo), 0);
        QCOMPARE(storedSettings(u).intValue(DS::ShowBanner), 0);

        // Loaded with the memo window off, the banner box is cleared and grey
        // whatever setting 102 holds.
        u.ctx().settings().setInt(DS::ShowBanner, 1);
        frmHSettei again(u.ctx(), host);
        QVERIFY(!control<QCheckBox>(&again, "chkKoukoku")->isChecked());
        QVERIFY(!control<QCheckBox>(&again, "chkKoukoku")->isEnabled());
    }

    // A colour is stored as soon as it is chosen; cancelling changes nothing;
    // a chooser that fails ends the program after its message.
    void colours_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("outcome"); // ChoiceOutcome
        QTest::newRow("background of logged-in, chosen") << 0 << int(ChoiceOutcome::Chosen);
        QTest::newRow("text of logged-out, chosen") << 3 << int(ChoiceOutcome::Chosen);
        QTest::newRow("cancelled") << 1 << int(ChoiceOutcome::Cancelled);
        QTest::newRow("failed") << 2 << int(ChoiceOutcome::Failed);
        QTest::newRow("overdue return (setting 77), chosen") << 4 << int(ChoiceOutcome::Chosen);
    }
    void colours()
    {
        QFETCH(int, index);
        QFETCH(int, outcome);
        TestUser u;
        u.loadSettings();
        RecordingHost host;
        frmHSettei w(u.ctx(), host);
        w.show();
        const QColor pick(12, 200, 90);
        const qint32 before = u.ctx().settings().intValue(DS::colorSetting(index));
        if (ChoiceOutcome(outcome) == ChoiceOutcome::Chosen)
            u.colorFont().queueColor(pick);
        else
            u.colorFont().queueColorOutcome(ChoiceOutcome(outcome));
        click(&w, QStringLiteral("cmdColor%1").arg(index));

        QCOMPARE(u.colorFont().asked().size(), 1);
        QCOMPARE(u.colorFont().asked()[0].title, QStringLiteral("色の指定"));
        QCOMPARE(u.colorFont().asked()[0].initial.value<QColor>(), SystemColors::fromSetting(before));
        const qint32 expected = ChoiceOutcome(outcome) == ChoiceOutcome::Chosen ? SystemColors::toSetting(pick) : before;
        QCOMPARE(storedSettings(u).intValue(DS::colorSetting(index)), expected);
        if (ChoiceOutcome(outcome) == ChoiceOutcome::Failed) {
            QCOMPARE(u.box().texts(), QStringList {QStringLiteral("致命的エラー")});
            QCOMPARE(host.programEnds, 1);
            QVERIFY(!w.isVisible());
            return;
        }
        QCOMPARE(host.programEnds, 0);
        QCOMPARE(control<QFrame>(&w, QStringLiteral("speColor%1").arg(index))->palette().color(QPalette::Window),
                 SystemColors::fromSetting(expected));
    }

    // The font goes to the settings, the labels and the main window's boxes at
    // once; "初期値に戻す" then closing gives every default back, 220 as the
    // row height.
    void fontThenDefaults()
    {
        TestUser u;
        u.loadSettings();
        RecordingHost host;
        frmHSettei w(u.ctx(), host);
        w.show();
        QFont chosen(QStringLiteral("Noto Sans CJK JP"));
        chosen.setPointSizeF(12);
        u.colorFont().queueFont(chosen);
        click(&w, QStringLiteral("cmdFont"));
        QCOMPARE(u.colorFont().asked()[0].title, QStringLiteral("表示フォントの設定"));
        QCOMPARE(u.colorFont().asked()[0].initial.value<QFont>().family(), DS::defaultFontName());
        QCOMPARE(storedSettings(u).text(DS::FontName), QStringLiteral("Noto Sans CJK JP"));
        QCOMPARE(storedSettings(u).realValue(DS::FontSize), 12.0);
        QCOMPARE(control<QLabel>(&w, "lblFont")->text(), QStringLiteral("Noto Sans CJK JP"));
        QCOMPARE(control<QLabel>(&w, "lblFontSize")->text(), QStringLiteral("12"));
        QCOMPARE(host.boxFonts, 1);

        u.colorFont().queueColor(Qt::red);
        click(&w, QStringLiteral("cmdColor1"));
        u.colorFont().queueColor(Qt::blue);
        click(&w, QStringLiteral("cmdColor4"));
        control<QLineEdit>(&w, "txtGrid")->setText(QStringLiteral("40"));
        control<QCheckBox>(&w, "chkNani")->click();
        click(&w, QStringLiteral("cmdDefault"));
        QCOMPARE(control<QLineEdit>(&w, "txtGrid")->text(), QStringLiteral("22"));
        QVERIFY(control<QCheckBox>(&w, "chkNani")->isChecked());
        QVERIFY(control<QCheckBox>(&w, "chkKoukoku")->isChecked());
        QVERIFY(control<QCheckBox>(&w, "chkKoukoku")->isEnabled());
        click(&w, QStringLiteral("cmdClose"));

        const Settings s = storedSettings(u);
        for (int i = 0; i < DS::ColorCount; ++i)
            QCOMPARE(s.intValue(DS::colorSetting(i)), DS::defaultColors()[std::size_t(i)]);
        QCOMPARE(s.text(DS::FontName), DS::defaultFontName());
        QCOMPARE(s.realValue(DS::FontSize), DS::DefaultFontSize);
        QCOMPARE(s.intValue(DS::RowHeight), 220);
        QCOMPARE(s.intValue(DS::ShowMemo), 1);
        QCOMPARE(s.intValue(DS::ShowBanner), 1);
        QCOMPARE(host.boxFonts, 2);
        QVERIFY(u.box().shown().isEmpty());
    }

    // Leaving the row height box checks it too.
    void rowHeightOnLeavingTheBox()
    {
        TestUser u;
        u.loadSettings();
        RecordingHost host;
        frmHSettei w(u.ctx(), host);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* txtGrid = control<QLineEdit>(&w, "txtGrid");
        txtGrid->setFocus();
        QTRY_VERIFY(txtGrid->hasFocus());
        txtGrid->setText(QStringLiteral("x1"));
        control<QCheckBox>(&w, "chkNani")->setFocus();
        QTRY_COMPARE(u.box().shown().size(), 1);
        QCOMPARE(u.box().shown()[0].title, QStringLiteral("正しい値を入力してください"));
        QCOMPARE(txtGrid->text(), QStringLiteral("22"));
        QTRY_VERIFY(txtGrid->hasFocus());
        QCOMPARE(host.helpContexts, QList<int>());
        click(&w, QStringLiteral("cmdHelp"));
        QCOMPARE(host.helpContexts, QList<int> {16});
    }
};

PORLUNE_TEST_MAIN(TestHSettei)

#include "tst_hsettei.moc"
