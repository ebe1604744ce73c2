#pragma once

#include "memo/BannerServer.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "support/LoopbackFtp.h"

#include <QDir>
#include <QFile>

// What the memo tests set up: the delivered day texts beside a program, and
// a banner on a loopback FTP server.
namespace MemoFixture {

inline bool copyDayTexts(const QString& folder)
{
    const QDir data(QStringLiteral(PORLUNE_DATA_DIR));
    bool ok = true;
    for (const QString& name : data.entryList({QStringLiteral("nani*.dat")}, QDir::Files))
        ok = QFile::copy(data.filePath(name), Paths::join(folder, name)) && ok;
    return ok;
}

inline const QString kComments = QStringLiteral("春の新製品\r\n夏の特売\r\n秋の催し\r\n");

// The five banner files in a folder of the server ("" = its root).
inline bool putBanner(const LoopbackFtp::Server& server, const QString& folder, const QString& links)
{
    const QString prefix = folder.isEmpty() ? QString() : folder + u'/';
    if (!folder.isEmpty() && !QDir().mkdir(server.file(folder)))
        return false;
    for (const char* name : {"100.gif", "200.gif", "300.gif"})
        if (!QFile::copy(QStringLiteral(PORLUNE_BANNER_DIR "/") + QLatin1String(name),
                         server.file(prefix + QLatin1String(name))))
            return false;
    return Fs::writeBytes(server.file(prefix + QStringLiteral("url.txt")), Sjis::encode(links)) == 0
        && Fs::writeBytes(server.file(prefix + QStringLiteral("kou.txt")), Sjis::encode(kComments)) == 0;
}

inline BannerServer bannerServerOf(const QString& address, const QString& folder = QString())
{
    BannerServer where;
    where.server = address;
    where.user = LoopbackFtp::kUser;
    where.password = LoopbackFtp::kPassword;
    where.folder = folder;
    where.siteUrl = QStringLiteral("https://porlune.example.jp/");
    return where;
}

} // namespace MemoFixture
