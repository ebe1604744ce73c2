#include "board/Heartbeat.h"

#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/SharedClaim.h"
#include "platform/SharedFile.h"
#include "platform/TextCodec.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <cerrno>

namespace {

const QString kSuffix = QStringLiteral(".hb");

// Three intervals without a change mean stale. Looks come on this copy's own
// timer, which may run a little late: half an interval of slack keeps a look
// that comes a few milliseconds early from waiting a whole interval more.
bool staleAfter(qint64 elapsedMs, qint64 intervalMs)
{
    return elapsedMs >= 3 * intervalMs - intervalMs / 2;
}

qint64 declaredIntervalMs(const QByteArray& content)
{
    // "<token> <counter> <interval seconds>"; anything else declares nothing.
    const QList<QByteArray> parts = content.trimmed().split(' ');
    if (parts.size() != 3)
        return 0;
    bool ok = false;
    const qint64 seconds = parts[2].toLongLong(&ok);
    return ok && seconds > 0 && seconds < 100000 ? seconds * 1000 : 0;
}

} // namespace

namespace Heartbeat {

QString folderFor(const QString& boardPath)
{
    return boardPath + QStringLiteral(".alive");
}

QString fileNameFor(const QString& userName)
{
    if (userName.isEmpty())
        return {};
    return QString::fromLatin1(Sjis::encode(userName).toHex().toUpper()) + kSuffix;
}

QString userOf(const QString& fileName)
{
    if (!fileName.endsWith(kSuffix, Qt::CaseInsensitive))
        return {};
    const QString hex = fileName.chopped(kSuffix.size());
    if (hex.isEmpty() || hex.size() % 2 != 0)
        return {};
    for (QChar c : hex)
        if (!isxdigit(c.unicode() < 0x80 ? c.toLatin1() : 0))
            return {};
    return Sjis::decode(QByteArray::fromHex(hex.toLatin1()));
}

} // namespace Heartbeat

HeartbeatWriter::HeartbeatWriter(QByteArray token) : m_token(std::move(token))
{
    if (m_token.isEmpty())
        m_token = QByteArray::number(QRandomGenerator::system()->generate64(), 36);
}

// Only the owner writes its file, and readers take any difference in its
// content, even an empty or half-written one, as a sign of life: so the file is
// simply rewritten in place, without a claim. A replace by rename would delete
// the old name first on an SMB mount, and a reader opening it just then meets
// a name pending deletion.
int HeartbeatWriter::beat(const QString& userName, const QStringList& boardPaths, int intervalSeconds)
{
    if (userName != m_user) {
        stop();
        m_user = userName;
    }
    const QSet<QString> wanted(boardPaths.begin(), boardPaths.end());
    QSet<QString> left = m_boards;
    left.subtract(wanted);
    for (const QString& old : left)
        removeFrom(old);
    const QString name = Heartbeat::fileNameFor(userName);
    if (name.isEmpty() || intervalSeconds <= 0) {
        // No name, or no refresh to beat at: no heartbeat at all, so nobody
        // takes this copy for a dead one.
        stop();
        return 0;
    }
    ++m_counter;
    const QByteArray content =
        m_token + ' ' + QByteArray::number(m_counter) + ' ' + QByteArray::number(intervalSeconds) + "\r\n";
    int written = 0;
    for (const QString& board : boardPaths) {
        if (!Fs::isFile(board))
            continue; // no board (or no share) now: nothing to stand beside
        const QString folder = Heartbeat::folderFor(board);
        if (!Fs::isDir(folder) && Fs::makeDir(folder) != 0 && !Fs::isDir(folder))
            continue;
        if (Fs::writeBytes(Paths::join(folder, name), content) == 0) {
            m_boards.insert(board);
            ++written;
        }
    }
    return written;
}

void HeartbeatWriter::stop()
{
    const QSet<QString> boards = m_boards;
    for (const QString& b : boards)
        removeFrom(b);
}

void HeartbeatWriter::removeFrom(const QString& boardPath)
{
    m_boards.remove(boardPath);
    const QString name = Heartbeat::fileNameFor(m_user);
    if (name.isEmpty())
        return;
    // Taken aside first: others watching see it whole or gone. A reader that
    // has it open at that moment keeps an SMB rename from going through (the
    // mount says busy, or EEXIST for a name that is free): tried again for a
    // moment, so that a clean exit does not leave the user looking crashed.
    const QString file = Paths::join(Heartbeat::folderFor(boardPath), name);
    QString aside;
    QElapsedTimer t;
    t.start();
    int err;
    while ((err = SharedFile::moveAside(file, &aside)) != 0 && t.elapsed() < 2000
           && (err == EBUSY || err == EACCES || err == EAGAIN || err == EEXIST || err == EINTR))
        QThread::msleep(20);
    if (err == 0) {
        SharedClaim::Options quick;
        quick.busyRetryMs = 2000;
        quick.pause = [](int ms) { QThread::msleep(ulong(ms)); };
        SharedClaim::removeFile(aside, quick);
    }
}

bool HeartbeatMonitor::look(const QString& boardPath, qint64 nowMs, const QDateTime& nowLocal, qint64 intervalMs)
{
    const QString folder = Heartbeat::folderFor(boardPath);
    Board& board = m_boards[boardPath];
    const qint64 previousLook = board.lastLookMs;
    if (!Fs::isDir(folder)) {
        board.users.clear();
        board.lastLookMs = nowMs;
        return false;
    }
    QHash<QString, Seen> users;
    for (const QString& file : Fs::list(folder, QStringLiteral("*") + kSuffix)) {
        const QString user = Heartbeat::userOf(file);
        if (user.isEmpty())
            continue;
        int err = 0;
        const QByteArray content = Fs::readBytes(Paths::join(folder, file), &err);
        const auto before = board.users.constFind(user);
        if (err != 0) {
            // Unreadable for a moment: keep what was seen, decide nothing.
            if (before != board.users.constEnd())
                users.insert(user, *before);
            continue;
        }
        Seen s;
        if (before != board.users.constEnd() && before->content == content) {
            s = *before;
        } else {
            s.content = content;
            s.changedLocal = nowLocal;
            // The change came after the previous look, which is at most one
            // interval back; the first look knows nothing earlier than now.
            s.changedMs = previousLook < 0 ? nowMs : std::max(previousLook, nowMs - intervalMs);
            s.writerIntervalMs = declaredIntervalMs(content);
        }
        s.stale = staleAfter(nowMs - s.changedMs, std::max(intervalMs, s.writerIntervalMs));
        users.insert(user, s);
    }
    board.users = std::move(users);
    board.lastLookMs = nowMs;
    return true;
}

std::optional<HeartbeatMonitor::Seen> HeartbeatMonitor::seen(const QString& boardPath, const QString& userName) const
{
    const auto b = m_boards.constFind(boardPath);
    if (b == m_boards.constEnd())
        return std::nullopt;
    const auto u = b->users.constFind(userName);
    if (u == b->users.constEnd())
        return std::nullopt;
    return *u;
}

bool HeartbeatMonitor::isStale(const QString& boardPath, const QString& userName) const
{
    const auto s = seen(boardPath, userName);
    return s && s->stale;
}

QString staleTooltip(const QDateTime& lastChangeLocal)
{
    return QStringLiteral("応答がありません（最終確認 %1）").arg(lastChangeLocal.toString(QStringLiteral("HH:mm")));
}
