#pragma once

#include <QDateTime>
#include <QString>

#include <array>

// Whether the shared places this copy depends on can be reached, for the
// status line under the grid. An outage is reported once per place when it
// begins (never again at every refresh) and the report clears itself when the
// place comes back.
class ShareHealth
{
public:
    enum Place { BoardList, Board, MailPlace, PlaceCount };

    struct State {
        QString path;         // empty: not set up (never reported)
        bool reachable = true;
    };

    // Looks at one place: a file for the board list and the board, a folder
    // for the mail place. Returns true exactly when the place has just become
    // unreachable (the one moment to tell the user).
    bool check(Place place, const QString& path);
    // Records a look whose outcome the caller found itself.
    bool record(Place place, const QString& path, bool reachable);
    // The board was read (the grid shows it as of then).
    void boardRead(const QDateTime& when) { m_lastRead = when; }

    const State& state(Place place) const { return m_states[std::size_t(place)]; }
    bool allReachable() const;
    QDateTime lastRead() const { return m_lastRead; }

    // "最終読込 hh:mm:ss　掲示板一覧:○　掲示板:×　メール置き場:○"; a place not
    // set up shows "－".
    QString statusText() const;
    // "　未書込の変更:N件（接続が戻りしだい書き込みます）" after the status, for
    // changes kept while a board's share was away; empty when there are none.
    static QString pendingText(int count);
    // The one report of a place that has just gone away.
    static QString outageText(Place place, const QString& path);

    static bool reachable(Place place, const QString& path);

private:
    std::array<State, PlaceCount> m_states {};
    QDateTime m_lastRead;
};
