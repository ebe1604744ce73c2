#pragma once

// A small office for the presence tests: one board in a folder (local or on
// the share) with 山田太郎 (this copy's user), 佐藤花子 (her return at 09:00)
// and 鈴木一郎 (an older copy: logged in, no heartbeat), a board list and a
// mail place, and a refresh every two seconds run by hand.
#include "board/Heartbeat.h"
#include "board/frmMain.h"
#include "platform/Paths.h"
#include "platform/QuotedCsv.h"
#include "platform/TextFile.h"
#include "support/TestContext.h"

#include <QDir>

#include <memory>

namespace {

const QString kMe = QStringLiteral("山田太郎");
const QString kSato = QStringLiteral("佐藤花子");
const QString kOld = QStringLiteral("鈴木一郎"); // runs an older copy: no heartbeat

QString rowLine(const QString& name, const QString& login, const QString& setTime, const QString& back)
{
    return QuotedCsv::formatTextLine({name, QStringLiteral("席にいます"), login, setTime, back, QString(), QString()});
}

// Settings of a program folder: the board list, the user, the mail place and
// a refresh every refreshSeconds + 1 seconds; no windows before the main one.
void storeOfficeSettings(TestUser& u, const QString& banList, const QString& name, const QString& mail,
                         int refreshSeconds)
{
    u.loadSettings();
    IniFile& ini = u.ctx().iniFile();
    ini.store(19, banList);
    ini.store(23, QStringLiteral("21111111111111111111"));
    ini.store(24, QStringLiteral("21111111111111111111"));
    ini.store(26, name);
    ini.store(29, mail);
    ini.store(41, QString::number(refreshSeconds));
    ini.store(37, QStringLiteral("0"));
    ini.store(80, QStringLiteral("0"));
    ini.store(102, QStringLiteral("0"));
}

// One board refresh of w as its timer runs it, the test's clock moved on with it.
void refreshOnce(TestUser& u, frmMain& w)
{
    for (int tick = 0; tick <= u.ctx().settings().intValue(41); ++tick) {
        u.clock().advance(1);
        w.Timer4_Timer();
    }
}

// A board in a folder (local or on the share) and the user 山田太郎 on it.
struct PresenceOffice {
    PresenceOffice(TestUser& u, const QString& folder) : user(u)
    {
        board = Paths::join(folder, QStringLiteral("soumu.iki"));
        banList = Paths::join(folder, QStringLiteral("ban.txt"));
        mail = Paths::join(folder, QStringLiteral("mail"));
        QDir().mkpath(mail);
        for (const QString& sub : {QStringLiteral("TMP"), QStringLiteral("TIM"), QStringLiteral("RCV")})
            QDir(u.folder()).mkdir(sub);
        TextFile::writeLines(board, {rowLine(kMe, QStringLiteral("0"), QStringLiteral("06/14 08:00"), QString()),
                                     rowLine(kSato, QStringLiteral("1"), QStringLiteral("06/14 08:30"), QStringLiteral("09:00")),
                                     rowLine(kOld, QStringLiteral("1"), QStringLiteral("06/14 08:40"), QStringLiteral("未定"))});
        TextFile::writeLines(banList, {QStringLiteral("1,\"総務部\",\"%1\"").arg(board)});
        storeOfficeSettings(u, banList, kMe, mail, 1); // two-second intervals
    }

    std::unique_ptr<frmMain> open()
    {
        auto w = std::make_unique<frmMain>(user.ctx());
        w->Form_Load();
        return w;
    }

    void refresh(frmMain& w) { refreshOnce(user, w); }

    QString heartbeatOf(const QString& name) const
    {
        return Paths::join(Heartbeat::folderFor(board), Heartbeat::fileNameFor(name));
    }

    TestUser& user;
    QString board, banList, mail;
};

} // namespace
