#pragma once

#include "board/frmMain.h"
#include "platform/QuotedCsv.h"
#include "platform/TextFile.h"
#include "support/TestContext.h"

#include <QDir>

#include <memory>

// A user with one board, so the caption carries the time of the last fill.
struct DeskFixture {
    static QString me() { return QStringLiteral("山田太郎"); }

    explicit DeskFixture(TestUser& u) : user(u)
    {
        const QString share = QDir(u.folder()).filePath(QStringLiteral("share"));
        QDir().mkpath(share);
        QDir(u.folder()).mkpath(QStringLiteral("TMP"));
        const QString board = QDir(share).filePath(QStringLiteral("soumu.iki"));
        TextFile::writeLines(board, {QuotedCsv::formatTextLine({me(), QStringLiteral("在席"), QStringLiteral("0"),
                                                                QStringLiteral("12/09 18:00"), QString(), QString(),
                                                                QString()})});
        const QString ban = QDir(share).filePath(QStringLiteral("ban.txt"));
        TextFile::writeLines(ban, {QStringLiteral("1,\"総務部\",\"%1\"").arg(board)});
        u.loadSettings();
        IniFile& ini = u.ctx().iniFile();
        ini.store(19, ban);
        ini.store(23, QStringLiteral("20000000000000000000"));
        ini.store(24, QStringLiteral("20000000000000000000"));
        ini.store(26, me());
        ini.store(37, QStringLiteral("0"));
        ini.store(41, QStringLiteral("0"));
    }

    std::unique_ptr<frmMain> open()
    {
        auto w = std::make_unique<frmMain>(user.ctx());
        w->Form_Load();
        return w;
    }

    TestUser& user;
};
