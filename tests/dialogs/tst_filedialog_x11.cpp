// The real file dialog behind the file-location rows of own files, on a real
// X display: a name that does not exist yet is taken, and an existing file is
// taken without a question about overwriting it.
#include "platform/FileDialog.h"
#include "platform/FileOps.h"
#include "support/TestMain.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestFileDialogX11 : public QObject
{
    Q_OBJECT

    // Types name into the dialog once it is up and accepts it; records any
    // question box that comes up afterwards and answers it with No.
    void answerWith(const QString& name, bool* questioned)
    {
        QTimer::singleShot(0, this, [this, name, questioned] {
            QFileDialog* dialog = nullptr;
            QTRY_VERIFY_WITH_TIMEOUT((dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())), 10000);
            QVERIFY(dialog->isVisible());
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(edit);
            edit->setText(name);
            QTimer::singleShot(300, this, [questioned] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    *questioned = true;
                    box->button(QMessageBox::No)->click();
                    if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
                        d->reject();
                }
            });
            QTest::keyClick(edit, Qt::Key_Return);
        });
    }

private Q_SLOTS:
    void ownFileNamesNewAndExisting_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::newRow("new name") << false;
        QTest::newRow("existing file") << true;
    }

    void ownFileNamesNewAndExisting()
    {
        QFETCH(bool, exists);
        QVERIFY(qgetenv("QT_QPA_PLATFORM") == "xcb");
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("golog.txt"));
        if (exists)
            QCOMPARE(Fs::writeBytes(path, "line\r\n"), 0);
        QtFileDialog service;
        bool questioned = false;
        answerWith(QStringLiteral("golog.txt"), &questioned);
        const QString chosen = service.fileNameToUse(nullptr, QStringLiteral("行き先ログファイルの指定"),
                                                     QDir(dir.path()).filePath(QStringLiteral("x.txt")),
                                                     toQtFilter(QStringLiteral("行き先ログファイル(golog.txt)|golog.txt")));
        QVERIFY(!questioned);
        QCOMPARE(chosen, path);
        QCOMPARE(Fs::exists(path), exists); // the dialog itself creates nothing
    }
};

PORLUNE_TEST_MAIN(TestFileDialogX11)

#include "tst_filedialog_x11.moc"
