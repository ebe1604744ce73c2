#include "board/BoardAccess.h"

#include "board/BoardFile.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "platform/QuotedCsv.h"
#include "platform/SharedClaim.h"
#include "platform/SharedFile.h"
#include "platform/TextCodec.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <memory>
#include <optional>

#include <cerrno>

namespace {

constexpr int kWaitMs = 100;          // the wait while a board is empty or cut short
constexpr int kRestoreAttempt = 50;   // the attempt that falls back to ".bak"
constexpr int kMaxAttempts = 100;     // after that, the damaged-board message
constexpr int kMaxRounds = 100;       // re-reads of one cycle before giving up
constexpr int kBriefMissingTries = 3; // a missing file is looked at again this often
constexpr int kBriefMissingMs = 30;
// A board that looks half written (no line end after its last line, or fewer
// rows than this copy's last read of it) is taken only once its bytes have not
// changed for kSettledMs: an older copy rewrites the board line by line without
// a claim, and can stop at a line boundary. It is looked at every
// kHalfWrittenPollMs, and given up as damaged after kHalfWrittenLimitMs.
constexpr int kSettledMs = 3000;
constexpr int kHalfWrittenPollMs = 20;
constexpr int kHalfWrittenLimitMs = 20000;

const QString kProcWrite = QStringLiteral("(Ikifile_Write)");

void pauseFor(const SharedClaim::Options& waits, int ms)
{
    if (waits.pause)
        waits.pause(ms);
    else
        SharedClaim::waitLettingEventsRun(ms);
}

bool isMissing(int err)
{
    // As FileExists: a file that cannot be opened for reading does not exist.
    return err == ENOENT || err == ENOTDIR || err == EISDIR || err == EACCES || err == EPERM;
}

// The file server does not answer (a share that went away, a network down):
// waiting a few seconds more helps no one.
bool isUnreachable(int err)
{
    switch (err) {
    case EIO:
    case ENOTCONN:
    case ETIMEDOUT:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ECONNREFUSED:
    case ECONNRESET:
    case ECONNABORTED:
    case ENETDOWN:
    case ENETUNREACH:
    case ESTALE:
        return true;
    default:
        return false;
    }
}

FileErrorKind kindOf(int err)
{
    switch (err) {
    case ENOSPC:
    case EDQUOT:
    case EIO:
    case EFBIG:
        return FileErrorKind::Write;
    default:
        return FileErrorKind::Open;
    }
}

// Reads a shared file, looking again when it is missing: a rename over an
// existing file on an SMB mount deletes the old file first, so a reader can
// miss the file for a moment while its writer holds the claim. ownClaim: the
// caller holds that claim itself, so a claim file proves nothing.
BoardFile::RawRead readShared(const QString& path, const SharedClaim::Options& waits, bool ownClaim)
{
    QElapsedTimer claimed;
    int brief = 0;
    while (true) {
        BoardFile::RawRead r = BoardFile::read(path);
        if (!isMissing(r.error) || path.isEmpty())
            return r;
        if (brief < kBriefMissingTries) {
            ++brief;
            pauseFor(waits, kBriefMissingMs);
            continue;
        }
        // Looked up only now: on a network mount every look is a round trip.
        if (ownClaim || !Fs::exists(SharedClaim::lockPathFor(path)))
            return r;
        if (!claimed.isValid())
            claimed.start();
        // The bound covers a writer that crashed mid-replace: its claim turns
        // stale after staleAfterMs and the file is then missing for real.
        if (claimed.elapsed() > waits.staleAfterMs + 2000)
            return r;
        pauseFor(waits, kWaitMs);
    }
}

// On the 50th attempt: an empty board with a usable backup is replaced by a copy
// of the backup, under the board's claim. False when that is not the case.
bool restoreFromBackup(const QString& path, const SharedClaim::Options& waits, SharedClaim* heldClaim)
{
    if (Fs::length(path) != 0 || Fs::isReadOnly(path))
        return false;
    const BoardFile::RawRead bak = BoardFile::read(path + QStringLiteral(".bak"));
    if (!bak.ok() || bak.bytes.isEmpty())
        return false;
    std::optional<SharedClaim> own;
    if (!heldClaim || !heldClaim->isHeld()) {
        own.emplace(SharedClaim::lockPathFor(path), waits);
        if (own->acquire() != 0)
            return false;
    }
    bool ok = true;
    if (Fs::length(path) == 0) // nobody mended it meanwhile
        ok = SharedClaim::replaceFile(path, bak.bytes, {}, waits) == 0;
    if (own)
        own->release();
    return ok;
}

// Writes bytes over the board that was read as previous (empty: none was
// there). ESTALE, silently, when the board is no longer what was read: the
// caller reads again. Other errors are reported.
int writeRows(AppContext& ctx, SharedClaim& claim, const QString& path, const QByteArray& bytes,
              const QByteArray& previous, bool readOnly)
{
    // A board marked read-only (as it was read, under the claim) is not
    // written, as on the file server (a rename would pass over the attribute).
    if (readOnly) {
        reportFileError(ctx.msgBox(), kProcWrite, path, FileErrorKind::Open, EACCES);
        return EACCES;
    }
    // A holder stopped longer than the stale age (a laptop asleep, a stalled
    // request) may have lost its claim unknowingly: the replace itself checks
    // that the board is still the one this copy read.
    const int err = previous.isEmpty() ? claim.replaceHeld(path, bytes, previous)
                                       : claim.replaceHeldIfStill(path, bytes, previous, true);
    if (err && err != ESTALE)
        reportFileError(ctx.msgBox(), kProcWrite, path, kindOf(err), err);
    // The board just written carries the share's time: what copies killed
    // while writing left beside it is aged against it.
    if (err == 0)
        SharedClaim::sweepLeftovers(path);
    return err;
}

// After ESTALE: a claim that was broken meanwhile is taken again.
int keepClaim(SharedClaim& claim)
{
    if (claim.stillOurs())
        return 0;
    claim.release();
    return claim.acquire();
}

void takeOver(BoardState& st, const BoardReadOutcome& out)
{
    if (out.status == BoardReadOutcome::Ok) {
        st.rows = out.rows;
        st.lastReadStamp = out.stampText;
    } else {
        st.rows.clear();
    }
}

// Marks a board as being changed by this copy for the life of a cycle.
class BusyMark
{
public:
    BusyMark(QStringList& busy, const QString& path) : m_busy(busy), m_path(path) { m_busy.append(path); }
    ~BusyMark() { m_busy.removeOne(m_path); }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;

private:
    QStringList& m_busy;
    QString m_path;
};

} // namespace

void showDamagedBoard(IMessageBox& box)
{
    box.show({QStringLiteral("共有掲示板ファイルに異常があります"), QStringLiteral("掲示板アクセスエラー"),
              MsgIcon::Stop, MsgButtons::Ok, 0, false});
}

BoardReadOutcome readBoard(AppContext& ctx, const QString& path, SharedClaim* heldClaim)
{
    const SharedClaim::Options& waits = ctx.board().waits;
    const bool ownClaim = heldClaim && heldClaim->isHeld();
    BoardReadOutcome out;
    auto wait = [&] {
        if (ownClaim)
            heldClaim->refresh();
        pauseFor(waits, kWaitMs);
    };
    QByteArray lastBytes;
    QElapsedTimer unchanged, halfWritten;
    for (int attempt = 1;; ++attempt) {
        out.attempts = attempt;
        if (attempt > kMaxAttempts) {
            out.status = BoardReadOutcome::Damaged;
            return out;
        }
        if (attempt == kRestoreAttempt && !restoreFromBackup(path, waits, heldClaim)) {
            out.status = BoardReadOutcome::Damaged;
            return out;
        }
        const BoardFile::RawRead raw = readShared(path, waits, ownClaim);
        if (isUnreachable(raw.error) && !Fs::isDir(QFileInfo(path).absolutePath())) {
            // The board's folder does not answer either: the share is away. As
            // good as missing until it is back: the status line under the grid
            // tells it once, not a damaged-board box at every refresh, and
            // nothing is written over a board that was not read. (An error on
            // the file alone, its folder there, is waited out as before.)
            out.status = BoardReadOutcome::Missing;
            return out;
        }
        if (isMissing(raw.error)) {
            // A copy that died while it had the board aside for its replace
            // left it under a private name: the holder of the claim puts it back.
            if (ownClaim && SharedClaim::putBackLeftAside(path, waits))
                continue;
            // A reader puts it back too, under the claim (which a live holder
            // still has, and a dead one's goes stale), so that the other copies
            // do not show an empty board until somebody changes it.
            if (!ownClaim && SharedClaim::hasLeftAside(path)) {
                SharedClaim claim(SharedClaim::lockPathFor(path), waits);
                if (claim.acquire() == 0) {
                    const bool back = !Fs::exists(path) && SharedClaim::putBackLeftAside(path, waits);
                    claim.release();
                    if (back || Fs::exists(path))
                        continue;
                }
            }
            out.status = BoardReadOutcome::Missing;
            return out;
        }
        if (!raw.ok() || raw.bytes.isEmpty()) {
            // Empty: an older copy is rewriting it in place. Unreadable: busy.
            wait();
            continue;
        }
        BoardFile::Parsed parsed = BoardFile::parse(raw.bytes);
        if (parsed.cutShort) {
            wait();
            continue;
        }
        const bool looksHalfWritten = !raw.bytes.endsWith('\n')
            || parsed.rows.size() < ctx.board().lastStableRows.value(path, 0);
        if (looksHalfWritten) {
            // Looked at often, so the moment it is whole is not missed; these
            // waits do not count towards the restore of an empty board.
            if (!halfWritten.isValid())
                halfWritten.start();
            if (!unchanged.isValid() || raw.bytes != lastBytes) {
                lastBytes = raw.bytes;
                unchanged.start();
            }
            if (unchanged.elapsed() < kSettledMs) {
                if (halfWritten.elapsed() >= kHalfWrittenLimitMs) {
                    out.status = BoardReadOutcome::Damaged;
                    return out;
                }
                --attempt;
                if (ownClaim)
                    heldClaim->refresh();
                pauseFor(waits, kHalfWrittenPollMs);
                continue;
            }
        }
        ctx.board().lastStableRows.insert(path, int(parsed.rows.size()));
        out.status = BoardReadOutcome::Ok;
        out.rows = std::move(parsed.rows);
        out.beyondRows = std::move(parsed.beyondRows);
        out.lines = std::move(parsed.lines);
        out.bytes = raw.bytes;
        out.stampText = raw.stampText;
        out.readOnly = raw.stamp.readOnly;
        ctx.board().lastReadFileStamp = raw.stamp;
        return out;
    }
}

int Ikifile_Read(AppContext& ctx, const QString& path)
{
    const BoardReadOutcome out = readBoard(ctx, path);
    takeOver(ctx.board(), out);
    if (out.status == BoardReadOutcome::Damaged)
        showDamagedBoard(ctx.msgBox());
    return ctx.board().rowCount();
}

int Ikifile_Write(AppContext& ctx, int boardIndex, const QString& path)
{
    BoardState& st = ctx.board();
    const QString lock = SharedClaim::lockPathFor(path);
    if (st.busyBoards.contains(path)) {
        reportFileError(ctx.msgBox(), kProcWrite, path, FileErrorKind::Open, EBUSY);
        return EBUSY;
    }
    SharedClaim claim(lock, st.waits);
    if (const int err = claim.acquire()) {
        reportFileError(ctx.msgBox(), kProcWrite, path, FileErrorKind::Open, err);
        return err;
    }
    BusyMark mark(st.busyBoards, path);
    const QList<BoardRow> rows = st.rows;
    int err = ESTALE;
    for (int round = 0; round < kMaxRounds && err == ESTALE; ++round) {
        const BoardFile::RawRead old = readShared(path, st.waits, true);
        err = writeRows(ctx, claim, path, BoardFile::format(rows), old.ok() ? old.bytes : QByteArray(),
                        old.ok() ? old.stamp.readOnly : Fs::isReadOnly(path));
        if (err == ESTALE && (err = keepClaim(claim)) == 0)
            err = ESTALE;
    }
    if (err == ESTALE)
        reportFileError(ctx.msgBox(), kProcWrite, path, FileErrorKind::Open, err);
    if (err == 0 && boardIndex >= 0 && boardIndex < BoardState::BoardCount)
        st.entries[std::size_t(boardIndex)].rowCount = int(rows.size());
    claim.release();
    return err;
}

namespace {

CycleResult runCycle(AppContext& ctx, int boardIndex, const QString& boardPath, const RowChange& change,
                     bool keepBeyond)
{
    BoardState& st = ctx.board();
    // Callers pass a board table entry's path. Waits let events run, and a board
    // list chosen meanwhile rebuilds the table: the cycle keeps the board it began.
    const QString path = boardPath;
    ++st.cyclesRunning;
    const auto done = qScopeGuard([&st] { --st.cyclesRunning; });
    const QString lock = SharedClaim::lockPathFor(path);
    if (st.busyBoards.contains(path)) {
        reportFileError(ctx.msgBox(), kProcWrite, path, FileErrorKind::Open, EBUSY);
        return CycleResult::Failed;
    }
    if (!Fs::isFile(path) && isMissing(readShared(path, st.waits, false).error)
        && !SharedClaim::hasLeftAside(path))
        return CycleResult::Missing;

    // Taken at every refresh and mostly held for a moment: described only
    // when the cycle is slow.
    SharedClaim::Options waits = st.waits;
    waits.describeWhenSlow = true;
    SharedClaim claim(lock, waits);
    if (const int err = claim.acquire()) {
        if (!Fs::exists(path))
            return CycleResult::Missing;
        reportFileError(ctx.msgBox(), kProcWrite, path, FileErrorKind::Open, err);
        return CycleResult::Failed;
    }
    BusyMark mark(st.busyBoards, path);
    auto setCount = [&](int n) {
        if (boardIndex >= 0 && boardIndex < BoardState::BoardCount)
            st.entries[std::size_t(boardIndex)].rowCount = n;
    };

    for (int round = 1;; ++round) {
        const BoardReadOutcome out = readBoard(ctx, path, &claim);
        takeOver(st, out);
        setCount(st.rowCount());
        if (out.status == BoardReadOutcome::Missing) {
            claim.release();
            return CycleResult::Missing;
        }
        if (out.status == BoardReadOutcome::Damaged) {
            // Nothing sound to write back: leave the file (and its backup) alone.
            claim.release();
            showDamagedBoard(ctx.msgBox());
            return CycleResult::Damaged;
        }

        QList<BoardRow> rows = out.rows;
        change(rows);

        // Under the claim only a program that takes no claim can have written
        // meanwhile: the replace takes the board aside and compares its
        // content (not a one-second time stamp) with what was read, and
        // answers ESTALE when it changed; the cycle then reads again.

        // A holder slower than the stale age may have lost its claim to a waiter.
        if (claim.msSinceTouched() >= st.waits.staleAfterMs / 2 && !claim.stillOurs()) {
            claim.release();
            if (const int err = claim.acquire()) {
                reportFileError(ctx.msgBox(), kProcWrite, path, FileErrorKind::Open, err);
                return CycleResult::Failed;
            }
            continue;
        }

        // A change of whereabouts never removes rows; fewer rows than a settled
        // read found would mean a board cut short is about to be written back.
        if (keepBeyond && rows.size() < out.rows.size()) {
            claim.release();
            qWarning("update cycle of %s: %lld rows would become %lld; not written", qPrintable(path),
                     qlonglong(out.rows.size()), qlonglong(rows.size()));
            return CycleResult::Failed;
        }
        BoardFile::Parsed asRead;
        asRead.rows = out.rows;
        asRead.lines = out.lines;
        const int err = writeRows(ctx, claim, path,
                                  BoardFile::format(rows, keepBeyond ? out.beyondRows : QByteArray(), asRead),
                                  out.bytes, out.readOnly);
        if (err == ESTALE && round >= kMaxRounds) {
            claim.release();
            showDamagedBoard(ctx.msgBox());
            return CycleResult::Damaged;
        }
        if (err == ESTALE) {
            if (const int claimErr = keepClaim(claim)) {
                reportFileError(ctx.msgBox(), kProcWrite, path, FileErrorKind::Open, claimErr);
                return CycleResult::Failed;
            }
            continue;
        }
        claim.release();
        if (err)
            return CycleResult::Failed;
        st.rows = rows;
        setCount(int(rows.size()));
        return CycleResult::Written;
    }
}

// Not even the board's folder answers: its share is away (or the folder was
// never there, which a kept change cannot tell apart; it then simply waits).
bool shareAway(const QString& path)
{
    return !path.isEmpty() && !Fs::isDir(QFileInfo(path).absolutePath());
}

// At most this many changes are kept per board; each user change replaces
// the whole row, so only the latest ones matter.
constexpr int kMaxPendingPerBoard = 64;

int boardIndexOf(const BoardState& st, const QString& path)
{
    for (int k = 0; k < BoardState::BoardCount; ++k)
        if (st.entries[std::size_t(k)].path == path)
            return k;
    return -1;
}

// Drops the oldest count changes kept for the board at path.
void dropKept(BoardState& st, const QString& path, qsizetype count)
{
    for (qsizetype i = 0; i < st.pendingChanges.size() && count > 0;) {
        if (st.pendingChanges[i].path == path) {
            st.pendingChanges.removeAt(i);
            --count;
        } else {
            ++i;
        }
    }
}

// The kept changes of one board, in one cycle.
CycleResult flushPendingOf(AppContext& ctx, const QString& path)
{
    BoardState& st = ctx.board();
    if (st.flushingPending)
        return CycleResult::Unreachable; // a wait of the flush let this in
    st.flushingPending = true;
    const auto done = qScopeGuard([&st] { st.flushingPending = false; });
    QList<RowChange> changes;
    for (const BoardState::PendingChange& p : std::as_const(st.pendingChanges))
        if (p.path == path)
            changes.append(p.change);
    if (changes.isEmpty())
        return CycleResult::Written;
    const CycleResult r = runUpdateCycle(ctx, boardIndexOf(st, path), path, [&changes](QList<BoardRow>& rows) {
        for (const RowChange& c : changes)
            c(rows);
    });
    if (r == CycleResult::Unreachable)
        return r;
    // Written, or never to be written: the ones this cycle took leave the queue
    // (more may have been kept meanwhile).
    dropKept(st, path, changes.size());
    if (r != CycleResult::Written)
        qWarning("changes kept for %s while its share was away were not written", qPrintable(path));
    return r;
}

} // namespace

CycleResult runUpdateCycle(AppContext& ctx, int boardIndex, const QString& path, const RowChange& change,
                           bool keepBeyond)
{
    const CycleResult r = runCycle(ctx, boardIndex, path, change, keepBeyond);
    if (r == CycleResult::Missing && shareAway(path))
        return CycleResult::Unreachable;
    return r;
}

CycleResult updateOrKeep(AppContext& ctx, int boardIndex, const QString& path, const RowChange& change)
{
    BoardState& st = ctx.board();
    const qsizetype mine = std::count_if(st.pendingChanges.cbegin(), st.pendingChanges.cend(),
                                         [&](const BoardState::PendingChange& p) { return p.path == path; });
    auto keep = [&] {
        dropKept(st, path, mine - kMaxPendingPerBoard + 1);
        st.pendingChanges.append({path, change});
    };
    if (mine > 0) {
        // Behind the ones kept before, so that the latest change wins.
        keep();
        return flushPendingOf(ctx, path);
    }
    const CycleResult r = runUpdateCycle(ctx, boardIndex, path, change);
    if (r == CycleResult::Unreachable)
        keep();
    return r;
}

int flushPendingChanges(AppContext& ctx)
{
    BoardState& st = ctx.board();
    QStringList paths;
    for (const BoardState::PendingChange& p : std::as_const(st.pendingChanges))
        if (!paths.contains(p.path))
            paths.append(p.path);
    int written = 0;
    for (const QString& path : std::as_const(paths)) {
        if (shareAway(path))
            continue; // still away: no waits spent on it
        written += flushPendingOf(ctx, path) == CycleResult::Written;
    }
    return written;
}

int pendingChangeCount(const AppContext& ctx)
{
    return int(ctx.board().pendingChanges.size());
}

int forEachOwnRow(QList<BoardRow>& rows, const QString& name, const std::function<void(BoardRow&)>& fn)
{
    // Names are compared as the board file stores them: a name typed with a JIS
    // form (〜 U+301C) is the same name as the one read back from the file (～).
    const QString key = Sjis::decode(Sjis::encode(name));
    int n = 0;
    for (BoardRow& r : rows) {
        if (r.isSeparator() || Sjis::decode(Sjis::encode(r.name)) != key)
            continue;
        fn(r);
        ++n;
    }
    return n;
}

namespace {

// Login and logout: the same walk over the boards with different changes.
bool markOwnRows(AppContext& ctx, const std::function<void(BoardRow&)>& fn, bool keepWhenAway)
{
    BoardState& st = ctx.board();
    const QString name = ctx.settings().text(SettingNo::UserName);
    bool found = false;
    for (int i = 0; i < BoardState::BoardCount; ++i) {
        const BoardEntry e = st.entries[std::size_t(i)];
        if (!e.shown || !e.loggedIn)
            continue;
        // Kept changes run after this call returned: they own what they use.
        auto foundHere = std::make_shared<bool>(false);
        const RowChange change = [foundHere, name, fn](QList<BoardRow>& rows) {
            *foundHere = forEachOwnRow(rows, name, fn) > 0;
        };
        const CycleResult r = keepWhenAway ? updateOrKeep(ctx, i, e.path, change) : runUpdateCycle(ctx, i, e.path, change);
        found = found || (r == CycleResult::Written && *foundHere);
    }
    return found;
}

} // namespace

namespace {

// Login and logout differ only in the automatic whereabouts they may set and the
// login state they leave.
std::function<void(BoardRow&)> loginChange(AppContext& ctx, bool setPlace, int destinationSetting,
                                           int returnSetting, const QString& login)
{
    return [&ctx, setPlace, destinationSetting, returnSetting, login](BoardRow& r) {
        const Settings& s = ctx.settings();
        if (setPlace) {
            r.destination = s.text(destinationSetting);
            r.expectedReturn = s.text(returnSetting);
        }
        r.extension = s.text(SettingNo::Extension);
        r.setTime = SetTimeText(ctx.clock());
        r.mailAddress = s.text(SettingNo::MailAddress);
        r.login = login;
    };
}

bool markLoginState(AppContext& ctx, bool setPlace, int destinationSetting, int returnSetting,
                    const QString& login, bool keepWhenAway)
{
    return markOwnRows(ctx, loginChange(ctx, setPlace, destinationSetting, returnSetting, login), keepWhenAway);
}

} // namespace

int Ikifile_Login(AppContext& ctx, bool keepWhenAway)
{
    const bool autoStart = ctx.settings().intValue(56) == 1;
    return markLoginState(ctx, autoStart, 58, 60, QStringLiteral("1"), keepWhenAway) ? 1 : 0;
}

void Ikifile_Logout(AppContext& ctx, bool endSetChecked)
{
    const bool autoExit = ctx.settings().intValue(57) == 1 && !endSetChecked;
    // Changes kept while a share was away go first, if it is back by now;
    // nothing is kept from here on, as this copy is ending.
    flushPendingChanges(ctx);
    markLoginState(ctx, autoExit, 59, 61, QStringLiteral("0"), false);
}

void Ikifile_LogoutOf(AppContext& ctx, const QStringList& paths)
{
    // Not an exit: the whereabouts stay as they are.
    const auto change = loginChange(ctx, false, 59, 61, QStringLiteral("0"));
    const QString name = ctx.settings().text(SettingNo::UserName);
    for (const QString& path : paths)
        updateOrKeep(ctx, -1, path, [name, change](QList<BoardRow>& rows) { forEachOwnRow(rows, name, change); });
}

GroupBoxItems Banfile_Read(AppContext& ctx)
{
    BoardState& st = ctx.board();
    const Settings& s = ctx.settings();
    st.clearTable();

    const QString listPath = s.text(SettingNo::BoardList);
    const BoardFile::RawRead list = readShared(listPath, st.waits, false);
    if (list.ok()) {
        std::size_t next = 0;
        const QStringList lines = Sjis::decode(list.bytes).split(u'\n');
        for (QString line : lines) {
            if (next == st.entries.size())
                break; // the table has room for 20 boards; further lines are ignored
            if (line.endsWith(u'\r'))
                line.chop(1);
            if (line.trimmed().isEmpty())
                continue;
            const QStringList f = QuotedCsv::parseLine(line).fields;
            BoardEntry& e = st.entries[next++];
            bool ok = false;
            const int number = f.value(0).trimmed().toInt(&ok);
            e.number = ok ? number : 0;
            e.groupName = trimBlanks(f.value(1));
            e.path = trimBlanks(f.value(2));
            if (Fs::isFile(e.path)) {
                e.readOnly = Fs::isReadOnly(e.path);
                e.rowCount = BoardFile::countRows(BoardFile::read(e.path).bytes);
            }
        }
    }

    GroupBoxItems box;
    for (BoardEntry& e : st.entries) {
        if (e.number < 1 || e.number > BoardState::BoardCount)
            continue;
        e.shown = s.boardFlag(SettingNo::BoardShown, e.number);
        e.loggedIn = s.boardFlag(SettingNo::BoardLoggedIn, e.number);
        if (e.shown)
            box.items.append(e.readOnly ? e.groupName + QStringLiteral("(読み取り専用)") : e.groupName);
    }
    if (box.items.isEmpty())
        box.items.append(QString());
    const int last = s.intValue(62);
    box.selected = last >= 0 && last < box.items.size() ? last : 0;
    return box;
}
