// The board list editor with the real open and save dialogs on a real X
// display: the list is opened and saved through them, and over an existing
// list only the editor's own question comes (the dialog asks nothing).
#include "dialogs/frmKLEdit.h"
#include "platform/FileDialog.h"
#include "platform/QuotedCsv.h"
#include "platform/TextFile.h"
#include "startup/AppContext.h"
#include "support/Controls.h"
#include "support/FakeMainHost.h"
#include "support/FixedClock.h"
#include "support/RecordingMessageBox.h"
#include "support/RealFileDialog.h"
#include "support/TestMain.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestEditorsX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void boardListThroughTheRealDialogs()
    {
        QVERIFY(qgetenv("QT_QPA_PLATFORM") == "xcb");
        QTemporaryDir program, shared;
        RecordingMessageBox box;
        QtFileDialog dialogs;
        FixedClock clock;
        AppContext ctx(program.path(), Services {box, dialogs, clock});
        ctx.iniFile().Inifile_Read();
        FakeMainHost host;
        frmKLEdit ed(ctx, host);
        ed.show();

        const QString list = shared.filePath(QStringLiteral("ban.txt"));
        const QString board = shared.filePath(QStringLiteral("soumu.iki"));
        TextFile::writeLines(board, {});
        TextFile::writeLines(list, {QuotedCsv::formatLine({QuotedCsv::number(1), QuotedCsv::text(QStringLiteral("総務部")),
                                                           QuotedCsv::text(board)})});
        bool dialogAsked = false;
        answerRealFileDialog(this, list, &dialogAsked);
        ed.mnuFileOpen_Click();
        QCOMPARE(ed.core().count(), 1);
        QCOMPARE(ed.windowTitle(), QStringLiteral("掲示板リストエディタ - ban.txt"));

        control<QLineEdit>(&ed, "txtName")->setText(QStringLiteral("営業部"));
        ed.cmdAdd_Click();
        box.queueAnswer(MsgResult::Yes);
        answerRealFileDialog(this, list, &dialogAsked);
        ed.mnuNSave_Click();
        QVERIFY(!dialogAsked);
        QCOMPARE(box.texts(), QStringList {QStringLiteral("同名のファイルが存在します\n上書きしてもよろしいですか？")});
        QCOMPARE(TextFile::readLines(list).lines.size(), 2);
        QVERIFY(!ed.core().modified());
    }
};

PORLUNE_TEST_MAIN(TestEditorsX11)

#include "tst_editors_x11.moc"
