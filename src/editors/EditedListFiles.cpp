#include "editors/EditedListFiles.h"

#include "ftp/FtpList.h"
#include "platform/QuotedCsv.h"
#include "platform/SharedClaim.h"
#include "platform/SharedFile.h"
#include "platform/TextFile.h"
#include "startup/SharedRoutines.h"

#include <QFileInfo>

#include <functional>

namespace EditedListFiles {

namespace {

// Reads path line by line; each non-blank line goes through toRow, which gives
// false for a line that is not a record. More than maxRows lines: TooLong.
EditedListRead readRows(const QString& path, int maxRows,
                        const std::function<bool(const QuotedCsv::ParsedLine&, QStringList&)>& toRow)
{
    EditedListRead r;
    if (!QFileInfo(path).isFile())
        return r;
    const TextReadResult file = TextFile::readLines(path);
    if (!file.ok()) {
        r.status = EditedListRead::Malformed;
        r.error = file.error;
        return r;
    }
    r.status = EditedListRead::Ok;
    for (const QString& line : file.lines) {
        if (line.trimmed().isEmpty())
            continue;
        QStringList row;
        if (int(r.rows.size()) == maxRows) {
            r = {EditedListRead::TooLong, {}, 0};
            return r;
        }
        const QuotedCsv::ParsedLine parsed = QuotedCsv::parseLine(line);
        if (!parsed.complete || !toRow(parsed, row)) {
            r = {EditedListRead::Malformed, {}, 0};
            return r;
        }
        r.rows << row;
    }
    return r;
}

} // namespace

EditedListRead readBoard(const QString& path)
{
    return readRows(path, BoardRows, [](const QuotedCsv::ParsedLine& p, QStringList& row) {
        if (p.fields.size() < 7)
            return false; // cut short inside a row's seven fields
        row = p.fields.mid(0, 7);
        return true;
    });
}

EditedListRead readBoardList(const QString& path)
{
    return readRows(path, BoardListLines, [](const QuotedCsv::ParsedLine& p, QStringList& row) {
        bool ok = false;
        const int number = p.fields.value(0).trimmed().toInt(&ok);
        if (p.fields.size() < 3 || !ok)
            return false;
        row = {QString::number(number), trimBlanks(p.fields[1]), trimBlanks(p.fields[2])};
        return true;
    });
}

EditedListRead readFtpList(const QString& path)
{
    EditedListRead r;
    const FtpListReadResult f = ::readFtpList(path);
    if (f.status == FtpListStatus::Missing)
        return r;
    r.status = f.status == FtpListStatus::Loaded ? EditedListRead::Ok : EditedListRead::Malformed;
    for (int i = 0; i < f.count; ++i) {
        const FtpListEntry& e = f.table[std::size_t(i)];
        r.rows << QStringList {QString::number(e.upDown), e.serverName, e.serverPath,
                               e.userName,        e.password,   e.boardFilePath};
    }
    return r;
}

QByteArray formatBoardList(const QList<QStringList>& rows)
{
    QStringList lines;
    for (int i = 0; i < rows.size(); ++i)
        lines << QuotedCsv::formatLine({QuotedCsv::number(i + 1), QuotedCsv::text(rows[i].value(1)),
                                        QuotedCsv::text(rows[i].value(2))});
    return TextFile::joinLines(lines);
}

int writeBoardList(const QString& path, const QList<QStringList>& rows, bool* failedOpening)
{
    SharedClaim claim(SharedClaim::lockPathFor(path));
    if (const int err = claim.acquire()) {
        if (failedOpening)
            *failedOpening = true;
        return err;
    }
    const int err = SharedFile::replace(path, formatBoardList(rows), true, failedOpening);
    if (err == 0)
        SharedClaim::sweepLeftovers(path);
    claim.release();
    return err;
}

int writeFtpList(const QString& path, const QList<QStringList>& rows)
{
    FtpListTable table {};
    const int count = std::min(int(rows.size()), FtpListSize);
    for (int i = 0; i < count; ++i) {
        const QStringList& f = rows[i];
        table[std::size_t(i)] = {f.value(0).toInt(), f.value(1), f.value(2), f.value(3), f.value(4), f.value(5)};
    }
    return ::writeFtpList(path, table, count);
}

bool sameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

} // namespace EditedListFiles
