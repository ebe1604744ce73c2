#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// For tests on a real display: once the real file dialog is up, types name
// into it and accepts it. A question box of the dialog's own that comes up
// then is recorded in *questioned and answered No (the dialog is then left).
inline void answerRealFileDialog(QObject* context, const QString& name, bool* questioned)
{
    QTimer::singleShot(0, context, [context, name, questioned] {
        QFileDialog* dialog = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())), 10000);
        QVERIFY(dialog->isVisible());
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(edit);
        edit->setText(name);
        QTimer::singleShot(300, context, [questioned] {
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
