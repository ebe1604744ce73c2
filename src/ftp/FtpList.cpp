#include "ftp/FtpList.h"

#include "platform/MessageBox.h"
#include "platform/QuotedCsv.h"
#include "platform/SharedClaim.h"
#include "platform/SharedFile.h"
#include "platform/TextFile.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QFile>

FtpListReadResult readFtpList(const QString& path)
{
    FtpListReadResult r;
    if (FileExists(path) == 0)
        return r;
    const TextReadResult file = TextFile::readLines(path);
    if (!file.ok()) {
        r.status = FtpListStatus::Malformed;
        return r;
    }
    r.status = FtpListStatus::Loaded;
    for (const QString& line : file.lines) {
        if (line.trimmed().isEmpty())
            continue;
        const QuotedCsv::ParsedLine parsed = QuotedCsv::parseLine(line);
        bool ok = parsed.complete && parsed.fields.size() == 6 && r.count < FtpListSize;
        int upDown = 0;
        if (ok)
            upDown = parsed.fields[0].toInt(&ok);
        if (!ok || upDown < 0 || upDown > 255) {
            r.status = FtpListStatus::Malformed;
            r.table = {};
            r.count = 0;
            return r;
        }
        FtpListEntry& e = r.table[std::size_t(r.count++)];
        e.upDown = upDown;
        e.serverName = parsed.fields[1];
        e.serverPath = parsed.fields[2];
        e.userName = parsed.fields[3];
        e.password = parsed.fields[4];
        e.boardFilePath = parsed.fields[5];
    }
    return r;
}

QString formatFtpListLine(const FtpListEntry& e)
{
    return QuotedCsv::formatLine({QuotedCsv::number(e.upDown), QuotedCsv::text(e.serverName),
                                  QuotedCsv::text(e.serverPath), QuotedCsv::text(e.userName),
                                  QuotedCsv::text(e.password), QuotedCsv::text(e.boardFilePath)});
}

int writeFtpList(const QString& path, const FtpListTable& table, int count)
{
    QStringList lines;
    for (int i = 0; i < count && i < FtpListSize; ++i)
        lines << formatFtpListLine(table[std::size_t(i)]);
    SharedClaim claim(SharedClaim::lockPathFor(path));
    if (const int err = claim.acquire())
        return err;
    const int err = SharedFile::replace(path, TextFile::joinLines(lines), true);
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (err == 0) {
        QFile::setPermissions(path, ownerOnly);
        if (QFile::exists(path + QStringLiteral(".bak")))
            QFile::setPermissions(path + QStringLiteral(".bak"), ownerOnly);
        SharedClaim::sweepLeftovers(path);
    }
    claim.release();
    return err;
}

bool FtpSetFile_Read(AppContext& ctx)
{
    FtpListReadResult r = readFtpList(ctx.settings().text(81));
    if (r.status == FtpListStatus::Malformed) {
        ctx.msgBox().show({QStringLiteral("FTPリストに異常があります"),
                           QStringLiteral("FTPリストアクセスエラー"), MsgIcon::Stop, MsgButtons::Ok});
        return false;
    }
    ctx.ftpList() = r.table;
    return true;
}
