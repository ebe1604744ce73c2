// The real file dialog behind the file-location rows of own files, on a real
// X display: a name that does not exist yet is taken, and an existing file is
// taken without a question about overwriting it.
#include "platform/FileDialog.h"
#include "platform/FileOps.h"
#include "support/RealFileDialog.h"
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
        answerRealFileDialog(this, QStringLiteral("golog.txt"), &questioned);
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
