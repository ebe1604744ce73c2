#include "board/WhereaboutsLists.h"

#include "board/BoardRow.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "platform/SharedClaim.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <cerrno>

namespace WhereaboutsLists {

QStringList personalEntries(const QString& path)
{
    QStringList out;
    if (FileExists(path) == 0)
        return out;
    for (const QString& line : TextFile::readLines(path).lines)
        if (!line.isEmpty())
            out.append(line);
    return out;
}

QStringList commonEntries(const QString& path)
{
    if (FileExists(path) == 0)
        return {};
    return TextFile::readLines(path).lines;
}

} // namespace WhereaboutsLists

QString otherWhereaboutsLogLine(const QString& dateTime, const BoardRow& row)
{
    return QStringLiteral("設定日時(") + dateTime + QStringLiteral(")") + QStringLiteral(" 名前：") + row.name
        + QStringLiteral(" 行き先：") + row.destination + u',' + row.expectedReturn;
}

QString whereaboutsLogLine(const QString& dateTime, const BoardRow& row)
{
    return otherWhereaboutsLogLine(dateTime, row) + u',' + row.extension + u',' + row.mailAddress;
}

bool appendWhereaboutsLog(AppContext& ctx, const QString& line, const QString& procedure)
{
    const QString path = ctx.settings().text(33);
    if (FileExists(path) == 0) {
        ctx.msgBox().stop(QStringLiteral("ログを書き込むファイルが見つかりません\n"
                                         "[ファイル]-[個別ファイルの場所の設定]を確認してください"),
                          QStringLiteral("ファイルが見つかりません"));
        return false;
    }
    // The log may sit in a shared folder: appenders of several copies take
    // turns under its claim, so no line lands on top of another.
    SharedClaim claim(SharedClaim::lockPathFor(path));
    if (const int err = claim.acquire()) {
        reportFileError(ctx.msgBox(), procedure, path, FileErrorKind::Open, err);
        return false;
    }
    if (const int err = Fs::appendBytes(path, Sjis::encode(line) + "\r\n")) {
        reportFileError(ctx.msgBox(), procedure, path,
                        err == ENOSPC || err == EIO || err == EDQUOT ? FileErrorKind::Write : FileErrorKind::Open,
                        err);
        return false;
    }
    return true;
}
