#include "board/ShareHealth.h"

#include "platform/FileOps.h"

#include <QFileInfo>

namespace {

QString placeName(ShareHealth::Place place)
{
    switch (place) {
    case ShareHealth::BoardList:
        return QStringLiteral("掲示板一覧");
    case ShareHealth::Board:
        return QStringLiteral("掲示板");
    case ShareHealth::MailPlace:
        return QStringLiteral("メール置き場");
    case ShareHealth::PlaceCount:
        break;
    }
    return {};
}

} // namespace

bool ShareHealth::reachable(Place place, const QString& path)
{
    if (place == MailPlace)
        return Fs::isDir(path);
    // A board that is missing for a moment (replaced by rename on an SMB mount)
    // still has its folder: only a folder that is gone means the share is.
    return Fs::isFile(path) || (Fs::isDir(QFileInfo(path).absolutePath()) && Fs::isFile(path + QStringLiteral(".bak")));
}

bool ShareHealth::check(Place place, const QString& path)
{
    return record(place, path, path.trimmed().isEmpty() || reachable(place, path));
}

bool ShareHealth::record(Place place, const QString& path, bool reachable)
{
    State& s = m_states[std::size_t(place)];
    const bool wasReachable = s.reachable || s.path != path;
    s.path = path.trimmed().isEmpty() ? QString() : path;
    s.reachable = s.path.isEmpty() || reachable;
    return wasReachable && !s.reachable;
}

bool ShareHealth::allReachable() const
{
    for (const State& s : m_states)
        if (!s.reachable)
            return false;
    return true;
}

QString ShareHealth::statusText() const
{
    QString text = QStringLiteral("最終読込 ")
        + (m_lastRead.isValid() ? m_lastRead.toString(QStringLiteral("HH:mm:ss")) : QStringLiteral("－"));
    for (int p = 0; p < PlaceCount; ++p) {
        const State& s = m_states[std::size_t(p)];
        text += QStringLiteral("　") + placeName(Place(p)) + QStringLiteral(":")
            + (s.path.isEmpty() ? QStringLiteral("－") : s.reachable ? QStringLiteral("○") : QStringLiteral("×"));
    }
    return text;
}

QString ShareHealth::pendingText(int count)
{
    if (count <= 0)
        return {};
    return QStringLiteral("　未書込の変更:%1件（接続が戻りしだい書き込みます）").arg(count);
}

QString ShareHealth::outageText(Place place, const QString& path)
{
    return placeName(place) + QStringLiteral("に接続できません。") + QStringLiteral("\n") + path + QStringLiteral("\n")
        + QStringLiteral("接続が戻るまで最後に読んだ内容を表示します。");
}
