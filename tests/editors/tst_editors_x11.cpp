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

    // Types path into the real dialog once it is up and accepts it; a question
    // box of the dialog's own, should one come, is recorded and refused.
    void answerWith(const QString& path, bool* dialogAsked)
    {
        QTimer::singleShot(0, this, [this, path, dialogAsked] {
            QFileDialog* dialog = nullptr;
            QTRY_VERIFY_WITH_TIMEOUT((dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())), 10000);
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(edit);
            edit->setText(path);
            QTimer::singleShot(300, this, [dialogAsked] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    *dialogAsked = true;
                    box->button(QMessageBox::No)->click();
                    if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
                        d->reject();
                }
            });
            QTest::keyClick(edit, Qt::Key_Return);
        });
    }

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
        answerWith(list, &dialogAsked);
        ed.mnuFileOpen_Click();
        QCOMPARE(ed.core().count(), 1);
        QCOMPARE(ed.windowTitle(), QStringLiteral("掲示板リストエディタ - ban.txt"));

        control<QLineEdit>(&ed, "txtName")->setText(QStringLiteral("営業部"));
        ed.cmdAdd_Click();
        box.queueAnswer(MsgResult::Yes);
        answerWith(list, &dialogAsked);
        ed.mnuNSave_Click();
        QVERIFY(!dialogAsked);
        QCOMPARE(box.texts(), QStringList {QStringLiteral("同名のファイルが存在します\n上書きしてもよろしいですか？")});
        QCOMPARE(TextFile::readLines(list).lines.size(), 2);
        QVERIFY(!ed.core().modified());
    }
};

PORLUNE_TEST_MAIN(TestEditorsX11)

#include "tst_editors_x11.moc"
