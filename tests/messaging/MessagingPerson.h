#pragma once

// A user of the office in the two-user messaging tests.
#include "board/frmMain.h"
#include "messaging/MessageFile.h"
#include "messaging/MessageSender.h"
#include "messaging/frmMessage.h"
#include "messaging/frmPassIn.h"
#include "platform/FileOps.h"
#include "startup/SharedRoutines.h"
#include "startup/StartupSequence.h"
#include "support/TestContext.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// A user of the office: a program folder of its own, the shared mail place,
// a message log, a main window.
struct Person {
    // extra: settings (number, value) stored before the main window loads.
    Person(const QString& name, const QString& mailPlace, const QString& password = QString(),
           const QList<QPair<int, QString>>& extra = {})
    {
        user.loadSettings();
        for (const QString& folder : StartupSequence::messageFolders())
            QDir(user.folder()).mkdir(folder);
        IniFile& ini = user.ctx().iniFile();
        ini.store(26, name);
        ini.store(29, mailPlace);
        ini.store(37, QStringLiteral("0"));
        ini.store(36, QStringLiteral("1"));
        user.ctx().settings().setText(25, password);
        ini.writeBack(25);
        Fs::writeBytes(user.ctx().settings().text(32), QByteArray());
        for (const auto& [number, value] : extra)
            ini.store(number, value);
        main = std::make_unique<frmMain>(user.ctx());
        main->Form_Load();
    }
    ~Person()
    {
        for (frmMessage* w : main->messageWindows())
            w->unloadQuietly();
    }

    QString name() { return user.ctx().settings().text(26); }
    QString path(const QString& rel) const { return QDir(user.folder()).filePath(rel); }

    void send(const QString& to, const QString& text, bool sealed, bool receipt, int mailId = 7)
    {
        MessageFile m;
        m.addressees = MessageFile::addresseeLine({to});
        m.sender = name();
        m.sentAt = DateTimeText(user.clock(), 1);
        m.sealed = sealed ? QStringLiteral("1") : QStringLiteral("0");
        m.receipt = receipt ? QStringLiteral("1") : QStringLiteral("0");
        m.mailId = QString::number(mailId);
        m.setText(text);
        MessageSender::Options o;
        o.procedure = QStringLiteral("(test");
        o.keepReceiptCopy = receipt;
        MessageSender sender(user.ctx());
        QVERIFY(sender.send(m, {to}, o).allDelivered());
    }

    TestUser user;
    std::unique_ptr<frmMain> main;
};

// Answers the password prompt that the next modal loop opens.
void answerPassword(const QString& typed)
{
    QTimer::singleShot(0, [typed] {
        auto* prompt = qobject_cast<frmPassIn*>(QApplication::activeModalWidget());
        QVERIFY(prompt);
        prompt->findChild<QLineEdit*>(QStringLiteral("txtPass"))->setText(typed);
        prompt->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
}

} // namespace
