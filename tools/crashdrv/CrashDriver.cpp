// porlune-crashdrv: one writer of a shared (or program-folder) file, run through
// the program's own code so that tools/crash-run.sh can kill it with SIGKILL at
// random moments and then check what it left. A developer tool.
//
//   porlune-crashdrv setup WRITER DIR
//   porlune-crashdrv run   WRITER DIR ACKS COUNT   COUNT more writes after the last acknowledged
//   porlune-crashdrv check WRITER DIR ACKS
//
// WRITER: board (the update cycle on the own row), boardlist and ftplist (the
// list editors' saves), memo (a day's memo saved), settings (records of the
// settings file), logappend (records appended to the message log), logpurge
// (a record appended, trashed and purged, the log locked and unlocked by turns)
// and drop (messages put into the mail place).
//
// ACKS is a local file: "+k" before write k starts, "k" once it is done, so
// that the run script can tell a kill that landed in the middle of a write.
// check reads the file as a restarted copy would and compares it with the
// acknowledged writes: nothing cut, no acknowledged write lost or undone, at
// most the one in flight more; a write of the one in flight that did land is
// then acknowledged. run prints "first_ms=N" after its first write: how long a
// claim left by the killed copy held the next start up.
// Each mode ends with one line "RESULT key=value ..." on stdout; exit status 0
// when nothing was wrong.
#include "LogTools.h"
#include "ToolServices.h"
#include "board/BoardAccess.h"
#include "board/BoardFile.h"
#include "editors/EditedListFiles.h"
#include "memo/DayMemo.h"
#include "messaging/MailDrop.h"
#include "msglog/LogRewrite.h"
#include "msglog/MessageLog.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/SharedClaim.h"
#include "platform/TextCodec.h"
#include "startup/AppContext.h"
#include "startup/IniFile.h"
#include "startup/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSet>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kPassword = QStringLiteral("crash");
constexpr int kBoardRows = 8;
constexpr int kListRows = 20;
constexpr int kFtpRows = 12;
constexpr int kMemoDays = 12;
constexpr int kBaseRecords = 20;
const int kSettings[] = {SettingNo::UserName, SettingNo::MailPlace, SettingNo::MessageLog,
                         SettingNo::WhereaboutsLog, SettingNo::FtpList};

void result(const QString& line)
{
    std::printf("RESULT %s\n", qPrintable(line));
    std::fflush(stdout);
}

// One copy of the program with its program folder (DIR/copy).
struct Copy {
    ConsoleMessageBox box;
    NoFileDialog dialogs;
    SystemClock clock;
    AppContext ctx;
    explicit Copy(const QString& dir) : ctx(Paths::join(dir, QStringLiteral("copy")), Services {box, dialogs, clock})
    {
        QDir().mkpath(ctx.programFolder());
    }
};

QString fileOf(const QString& writer, const QString& dir)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("board"), QStringLiteral("crash.iki")},
        {QStringLiteral("boardlist"), QStringLiteral("keijiban.lst")},
        {QStringLiteral("ftplist"), QStringLiteral("ftp.lst")},
        {QStringLiteral("memo"), QStringLiteral("memo.dat")},
        {QStringLiteral("settings"), QStringLiteral("copy/Porlune.INI")},
        {QStringLiteral("logappend"), QStringLiteral("msglog.txt")},
        {QStringLiteral("logpurge"), QStringLiteral("msglog.txt")},
        {QStringLiteral("drop"), QStringLiteral("place")},
    };
    return Paths::join(dir, names.value(writer));
}

// What a check found: whole or not, and the writes it shows.
struct Found {
    bool whole = true;
    QString problem;
    qint64 version = -1;   // replacing writers: the write the file shows
    QHash<qint64, int> seen; // adding writers: how often each write is there
};

QString dayKey(int d)
{
    return QStringLiteral("01/%1").arg(d + 1, 2, 10, QChar(u'0'));
}

QString memoText(qint64 k)
{
    return QStringLiteral("版 %1\n二行目 %1\n-").arg(k);
}

QByteArray dropBytes(qint64 k)
{
    QByteArray b = "seq " + QByteArray::number(k) + "\r\n";
    for (int i = 0; i < 40; ++i)
        b += "line " + QByteArray::number(i) + " of message " + QByteArray::number(k) + "\r\n";
    return b + "end\r\n";
}

QString logText(const QString& tag, qint64 k)
{
    return tag + u'-' + QString::number(k);
}

int appendLog(AppContext& ctx, const QString& log, const QString& text)
{
    ctx.settings().setText(SettingNo::MessageLog, log);
    return MessageLog::appendRecord(ctx,
                                    MessageLog::receivedRecord(QStringLiteral("送信者"),
                                                               QStringLiteral("2026/01/02 03:04:05"), text,
                                                               QStringLiteral("crash")),
                                    QStringLiteral("(crashdrv)"))
        ? 0
        : EIO;
}

// Write k of writer. 0 or an error.
int writeOne(Copy& copy, const QString& writer, const QString& dir, qint64 k)
{
    const QString path = fileOf(writer, dir);
    const QString v = QString::number(k);
    if (writer == QLatin1String("board")) {
        const CycleResult r = runUpdateCycle(copy.ctx, -1, path, [&](QList<BoardRow>& rows) {
            forEachOwnRow(rows, QStringLiteral("c1"), [&](BoardRow& row) { row.destination = v; });
        });
        return r == CycleResult::Written ? 0 : EIO;
    }
    if (writer == QLatin1String("boardlist")) {
        QList<QStringList> rows;
        for (int i = 0; i < kListRows; ++i)
            rows.append({QString::number(i + 1), QStringLiteral("部署%1-%2").arg(i).arg(v),
                         QStringLiteral("//server/share/g%1.iki").arg(i)});
        return EditedListFiles::writeBoardList(path, rows);
    }
    if (writer == QLatin1String("ftplist")) {
        QList<QStringList> rows;
        for (int i = 0; i < kFtpRows; ++i)
            rows.append({QString::number(i % 2), QStringLiteral("ftp%1.example:21:10").arg(i),
                         QStringLiteral("/boards/%1").arg(v), QStringLiteral("user%1").arg(i),
                         QStringLiteral("秘密%1").arg(i), QStringLiteral("g%1.iki").arg(i)});
        return EditedListFiles::writeFtpList(path, rows);
    }
    if (writer == QLatin1String("memo"))
        return MemoFile(path).save(dayKey(int(k % kMemoDays)), memoText(k));
    if (writer == QLatin1String("settings")) {
        IniFile ini(path, copy.ctx.programFolder(), copy.ctx.settings(), copy.box);
        for (int n : kSettings)
            if (!ini.Inifile_Write(n, QStringLiteral("値%1_%2").arg(n).arg(v)))
                return EIO;
        return 0;
    }
    if (writer == QLatin1String("logappend"))
        return appendLog(copy.ctx, path, logText(QStringLiteral("A"), k));
    if (writer == QLatin1String("logpurge")) {
        if (const int err = appendLog(copy.ctx, path, logText(QStringLiteral("P"), k)))
            return err;
        // Every "P" record goes: this one and any a killed run left.
        for (int step = 0; step < 2; ++step) {
            for (;;) {
                MessageLog::ParseResult parsed;
                Fs::FileStamp stamp;
                if (!loadLog(path, parsed, stamp))
                    return EIO;
                QList<qint64> ps;
                for (qsizetype i = 0; i < parsed.records.size(); ++i)
                    if (parsed.records.text(i).trimmed().startsWith(u'P') && (step == 1 || !parsed.records.inTrash(i)))
                        ps << i + 1;
                const LogRewrite::Result r = step == 0 ? LogRewrite::moveToTrash(path, stamp, parsed.records, ps)
                                                       : LogRewrite::purge(path, stamp, parsed.records, ps);
                if (r.outcome == LogRewrite::Outcome::Changed)
                    continue;
                if (r.outcome != LogRewrite::Outcome::Done)
                    return EIO;
                break;
            }
        }
        const bool locked = MessageLog::isLocked(path);
        const LogRewrite::Result r = k % 2 ? (locked ? LogRewrite::Result {} : LogRewrite::lock(path, kPassword))
                                           : (locked ? LogRewrite::unlock(path, kPassword) : LogRewrite::Result {});
        return r.outcome == LogRewrite::Outcome::Done ? 0 : EIO;
    }
    if (writer == QLatin1String("drop")) {
        const MailDrop::Result r = MailDrop::drop(path, QStringLiteral("Recipient"), dropBytes(k));
        return r.ok() ? 0 : (r.error ? r.error : EIO);
    }
    return EINVAL;
}

int runSetup(const QString& writer, const QString& dir)
{
    QDir().mkpath(dir);
    const QString path = fileOf(writer, dir);
    Copy copy(dir);
    int err = 0;
    if (writer == QLatin1String("board")) {
        QList<BoardRow> rows;
        for (int i = 1; i <= kBoardRows; ++i)
            rows.append({QStringLiteral("c%1").arg(i), QStringLiteral("在席%1").arg(i), QStringLiteral("1"),
                         QStringLiteral("99:99 99/99"), {}, {}, {}});
        rows[0].destination = QStringLiteral("0");
        SharedClaim claim(SharedClaim::lockPathFor(path));
        if (!(err = claim.acquire()))
            err = SharedClaim::replaceFile(path, BoardFile::format(rows), {}, claim.options());
    } else if (writer == QLatin1String("memo")) {
        for (int d = 0; d < kMemoDays && !err; ++d)
            err = MemoFile(path).save(dayKey(d), memoText(0));
    } else if (writer == QLatin1String("logappend") || writer == QLatin1String("logpurge")) {
        err = Fs::writeBytes(path, {});
        for (int n = 1; writer == QLatin1String("logpurge") && n <= kBaseRecords && !err; ++n)
            err = appendLog(copy.ctx, path, logText(QStringLiteral("B"), n));
    } else if (writer == QLatin1String("drop")) {
        err = Fs::makeDir(path);
    } else {
        err = writeOne(copy, writer, dir, 0);
    }
    result(QStringLiteral("setup writer=%1 error=%2").arg(writer).arg(err));
    return err ? 1 : 0;
}

// The last acknowledged write and whether one was under way.
qint64 lastAcked(const QString& acks, bool* inFlight = nullptr)
{
    const QByteArray all = Fs::readBytes(acks);
    qint64 last = 0;
    bool begun = false;
    for (const QByteArray& line : all.split('\n')) {
        if (line.startsWith('+'))
            begun = true;
        else if (!line.isEmpty()) {
            last = line.toLongLong();
            begun = false;
        }
    }
    if (inFlight)
        *inFlight = begun;
    return last;
}

void note(int fd, const QByteArray& line)
{
    const QByteArray l = line + '\n';
    if (::write(fd, l.constData(), size_t(l.size())) != l.size())
        std::perror("acks");
}

int runRun(const QString& writer, const QString& dir, const QString& acks, int count)
{
    Copy copy(dir);
    const qint64 from = lastAcked(acks) + 1;
    const int fd = ::open(QFile::encodeName(acks).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return 1;
    QElapsedTimer t;
    t.start();
    for (qint64 k = from; k < from + count; ++k) {
        note(fd, '+' + QByteArray::number(k));
        const int err = writeOne(copy, writer, dir, k);
        if (err) {
            result(QStringLiteral("run writer=%1 write=%2 error=%3").arg(writer).arg(k).arg(Fs::errorText(err)));
            return 1;
        }
        note(fd, QByteArray::number(k));
        if (k == from) {
            std::printf("first_ms=%lld\n", static_cast<long long>(t.elapsed()));
            std::fflush(stdout);
        }
    }
    ::close(fd);
    result(QStringLiteral("run writer=%1 writes=%2 ms=%3 boxes=%4").arg(writer).arg(count).arg(t.elapsed()).arg(copy.box.shown));
    return copy.box.shown ? 1 : 0;
}

Found look(const QString& writer, const QString& dir)
{
    const QString path = fileOf(writer, dir);
    Found f;
    const auto bad = [&f](const QString& why) {
        f.whole = false;
        if (f.problem.isEmpty())
            f.problem = why;
    };
    // A replacing writer's version: the same in every place it appears.
    const auto versionIs = [&](const QString& v) {
        const qint64 n = v.toLongLong();
        if (f.version < 0)
            f.version = n;
        else if (f.version != n)
            bad(QStringLiteral("mixed versions %1 and %2").arg(f.version).arg(n));
    };
    if (writer == QLatin1String("board")) {
        // Read as the next update cycle does, under the board's claim: a board
        // the killed copy had taken aside for its replace is put back first.
        Copy copy(dir);
        SharedClaim claim(SharedClaim::lockPathFor(path), copy.ctx.board().waits);
        const int err = claim.acquire();
        const BoardReadOutcome p = readBoard(copy.ctx, path, &claim);
        claim.release();
        if (err || p.status != BoardReadOutcome::Ok || p.rows.size() != kBoardRows || copy.box.shown)
            bad(QStringLiteral("board status=%1 rows=%2 claim=%3").arg(int(p.status)).arg(p.rows.size()).arg(err));
        for (int i = 0; i < p.rows.size(); ++i) {
            const BoardRow& r = p.rows[i];
            if (r.name != QStringLiteral("c%1").arg(i + 1) || (i > 0 && r.destination != QStringLiteral("在席%1").arg(i + 1)))
                bad(QStringLiteral("row %1 changed").arg(i + 1));
        }
        if (!p.rows.isEmpty())
            versionIs(p.rows[0].destination);
    } else if (writer == QLatin1String("boardlist") || writer == QLatin1String("ftplist")) {
        const bool list = writer == QLatin1String("boardlist");
        const EditedListRead r = list ? EditedListFiles::readBoardList(path) : EditedListFiles::readFtpList(path);
        if (r.status != EditedListRead::Ok || r.rows.size() != (list ? kListRows : kFtpRows))
            bad(QStringLiteral("list status=%1 rows=%2").arg(int(r.status)).arg(r.rows.size()));
        for (int i = 0; i < r.rows.size(); ++i) {
            const QString field = r.rows[i].value(list ? 1 : 2);
            const QString prefix = list ? QStringLiteral("部署%1-").arg(i) : QStringLiteral("/boards/");
            if (!field.startsWith(prefix) || (!list && r.rows[i].value(4) != QStringLiteral("秘密%1").arg(i)))
                bad(QStringLiteral("row %1: %2").arg(i + 1).arg(r.rows[i].join(u',')));
            versionIs(field.mid(prefix.size()));
        }
    } else if (writer == QLatin1String("memo")) {
        int err = 0;
        const QByteArray bytes = Fs::readBytes(path, &err);
        if (err || !bytes.endsWith("\r\n"))
            bad(QStringLiteral("memo file cut or unreadable"));
        QStringList lines = Sjis::decode(bytes).split(QStringLiteral("\r\n"));
        lines.removeLast();
        const QList<DayBlocks::Block> blocks = DayBlocks::parse(lines);
        QHash<QString, qint64> days;
        for (const DayBlocks::Block& b : blocks) {
            const QString text = MemoFile::textOf(b.lines);
            const qint64 n = text.section(u' ', 1, 1).section(u'\n', 0, 0).toLongLong();
            if (!b.terminated || days.contains(b.key) || text != memoText(n))
                bad(QStringLiteral("day %1 damaged or twice").arg(b.key));
            days[b.key] = n;
            f.version = std::max(f.version, n);
        }
        if (days.size() != kMemoDays)
            bad(QStringLiteral("%1 days").arg(days.size()));
        // Every day shows the last write of that day up to the newest one.
        for (int d = 0; d < kMemoDays; ++d) {
            qint64 expect = f.version - ((f.version - d) % kMemoDays + kMemoDays) % kMemoDays;
            if (expect < 1)
                expect = 0;
            if (days.value(dayKey(d), -1) != expect)
                bad(QStringLiteral("day %1 shows %2, not %3").arg(dayKey(d)).arg(days.value(dayKey(d))).arg(expect));
        }
    } else if (writer == QLatin1String("settings")) {
        int err = 0;
        const QByteArray bytes = Fs::readBytes(path, &err);
        // Records written in order: a prefix of them may already show the write in flight.
        qint64 prev = -1;
        for (int n : kSettings) {
            const qint64 at = qint64(n - 1) * IniFile::RecordSize;
            const QByteArray rec = bytes.mid(at, IniFile::RecordSize);
            const int len = rec.size() >= 4 ? (quint8(rec[2]) | quint8(rec[3]) << 8) : -1;
            const QString value = len >= 0 && len <= rec.size() - 4 ? Sjis::decode(rec.mid(4, len)) : QString();
            const QString prefix = QStringLiteral("値%1_").arg(n);
            if (err || rec.size() != IniFile::RecordSize || !value.startsWith(prefix)) {
                bad(QStringLiteral("record %1: %2").arg(n).arg(value));
                continue;
            }
            const qint64 v = value.mid(prefix.size()).toLongLong();
            if (prev >= 0 && v != prev && v != prev - 1)
                bad(QStringLiteral("record %1 shows %2 after %3").arg(n).arg(v).arg(prev));
            prev = v;
            f.version = std::max(f.version, v);
        }
    } else if (writer == QLatin1String("logappend") || writer == QLatin1String("logpurge")) {
        const MessageLog::ParseResult p = MessageLog::parse(Fs::readBytes(path));
        if (p.unreadableLine)
            bad(QStringLiteral("unreadable line"));
        for (qsizetype i = 0; i < p.records.size(); ++i) {
            const QString text = p.records.text(i).trimmed();
            const QChar tag = text.isEmpty() ? QChar() : text.front();
            const qint64 n = text.mid(2).toLongLong();
            if (text.contains(u'\n') || !(tag == u'A' || tag == u'B' || tag == u'P') || n < 1)
                bad(QStringLiteral("record %1: %2").arg(i + 1).arg(text.left(40)));
            if (tag == u'B')
                f.seen[-n]++; // the base records, kept apart
            else
                f.seen[n]++;
        }
    } else if (writer == QLatin1String("drop")) {
        for (const QString& name : Fs::list(path, QStringLiteral("Recipient.???"))) {
            const QByteArray b = Fs::readBytes(Paths::join(path, name));
            const qint64 n = b.mid(4, b.indexOf('\r') - 4).toLongLong();
            if (b != dropBytes(n))
                bad(QStringLiteral("%1 cut or damaged").arg(name));
            f.seen[n]++;
        }
    }
    return f;
}

int runCheck(const QString& writer, const QString& dir, const QString& acks)
{
    bool inFlight = false;
    const qint64 acked = lastAcked(acks, &inFlight);
    Found f = look(writer, dir);
    bool landed = false;
    QStringList taken; // drops checked, taken out of the mail place as a recipient would
    if (writer == QLatin1String("drop")) {
        // The mail place holds 999 drops of one recipient: the drops of
        // earlier rounds were counted and taken away then.
        const QString place = fileOf(writer, dir);
        for (const QString& name : Fs::list(place, QStringLiteral("Recipient.???")))
            taken << Paths::join(place, name);
        for (const QByteArray& line : Fs::readBytes(acks + QStringLiteral(".seen")).split('\n'))
            if (!line.isEmpty())
                f.seen[line.toLongLong()]++;
    }
    const bool adding = writer == QLatin1String("drop") || writer == QLatin1String("logappend");
    if (writer == QLatin1String("logpurge")) {
        // The base records stay exactly once; of the "P" records only one
        // appended by a run that was killed before it purged may be there.
        for (int n = 1; n <= kBaseRecords; ++n)
            if (f.seen.value(-n) != 1)
                f.whole = false, f.problem = QStringLiteral("base record %1 seen %2 times").arg(n).arg(f.seen.value(-n));
        for (auto it = f.seen.cbegin(); it != f.seen.cend(); ++it)
            if (it.key() > 0 && it.key() <= acked)
                f.whole = false, f.problem = QStringLiteral("P-%1 back after its purge").arg(it.key());
    } else if (adding) {
        // A write in flight at a kill that was not seen then is written again
        // by the next start; the first one may still land after the check
        // (the file server finishes a request of a killed client): those may
        // be there twice, as a user sending again would make them.
        const QString resentPath = acks + QStringLiteral(".resent");
        QSet<qint64> resent;
        for (const QByteArray& line : Fs::readBytes(resentPath).split('\n'))
            if (!line.isEmpty())
                resent.insert(line.toLongLong());
        const auto allowed = [&](qint64 n) { return resent.contains(n) ? 2 : 1; };
        for (qint64 n = 1; n <= acked; ++n)
            if (f.seen.value(n) < 1 || f.seen.value(n) > allowed(n))
                f.whole = false, f.problem = QStringLiteral("write %1 seen %2 times").arg(n).arg(f.seen.value(n));
        for (auto it = f.seen.cbegin(); it != f.seen.cend(); ++it)
            if (it.key() > acked + 1 || it.value() > allowed(it.key()) || it.key() < 1)
                f.whole = false, f.problem = QStringLiteral("write %1 seen %2 times").arg(it.key()).arg(it.value());
        landed = f.seen.value(acked + 1) >= 1;
        if (inFlight && !landed) {
            QFile r(resentPath);
            if (r.open(QIODevice::Append))
                r.write(QByteArray::number(acked + 1) + '\n');
        }
    } else {
        if (f.version != acked && f.version != acked + 1)
            f.whole = false, f.problem += QStringLiteral(" shows write %1, acknowledged %2").arg(f.version).arg(acked);
        landed = f.version == acked + 1;
    }
    if (!taken.isEmpty()) {
        QFile seen(acks + QStringLiteral(".seen"));
        if (seen.open(QIODevice::Append))
            for (const QString& path : taken) {
                // One the share keeps busy now is counted again next time.
                const QByteArray b = Fs::readBytes(path);
                if (Fs::remove(path) == 0)
                    seen.write(b.mid(4, b.indexOf('\r') - 4) + '\n');
            }
    }
    if (landed) {
        // The write under way when the copy was killed went through: it counts.
        QFile a(acks);
        if (a.open(QIODevice::Append))
            a.write(QByteArray::number(acked + 1) + '\n');
    }
    // What a killed copy leaves beside the file: claims and temporary files.
    const QString folder = writer == QLatin1String("drop") ? fileOf(writer, dir) : QFileInfo(fileOf(writer, dir)).path();
    int leftClaims = 0, leftTemps = 0;
    for (const QString& name : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        leftClaims += name.endsWith(QStringLiteral(".lck")) || name.endsWith(QStringLiteral(".brk")) || name.startsWith(QStringLiteral("~plc"));
        leftTemps += name.startsWith(QStringLiteral("~plw")) || name.contains(QStringLiteral(".~plh"));
    }
    result(QStringLiteral("check writer=%1 acked=%2 in_flight=%3 landed=%4 ok=%5 left_claims=%6 left_temporaries=%7 %8")
               .arg(writer)
               .arg(acked)
               .arg(inFlight)
               .arg(landed)
               .arg(f.whole)
               .arg(leftClaims)
               .arg(leftTemps)
               .arg(f.problem));
    return f.whole ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() == 4 && a[1] == QLatin1String("setup"))
        return runSetup(a[2], a[3]);
    if (a.size() == 6 && a[1] == QLatin1String("run"))
        return runRun(a[2], a[3], a[4], a[5].toInt());
    if (a.size() == 5 && a[1] == QLatin1String("check"))
        return runCheck(a[2], a[3], a[4]);
    std::fprintf(stderr, "usage: porlune-crashdrv setup WRITER DIR | run WRITER DIR ACKS COUNT | check WRITER DIR ACKS\n");
    return 2;
}
