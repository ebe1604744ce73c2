#pragma once

#include "board/BoardFile.h"
#include "board/BoardRow.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "support/TestContext.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QTest>
#include <QUuid>

#include <memory>

// Helpers shared by the board tests.
namespace BoardFixture {

inline BoardRow person(const QString& name, const QString& dest = QString(), const QString& login = QStringLiteral("0"))
{
    return {name, dest, login, QStringLiteral("06/01 08:00"), QStringLiteral("17:00"), QStringLiteral("123"),
            name + QStringLiteral("@example.jp")};
}

inline BoardRow separator(const QString& login = QStringLiteral("9"), const QString& name = QStringLiteral("区切り線"))
{
    return {name, QString(), login, QString(), QString(), QString(), QString()};
}

// Writes a board file as another program would, bypassing the protocol.
inline void writeRaw(const QString& path, const QByteArray& bytes)
{
    QCOMPARE(Fs::writeBytes(path, bytes), 0);
}

inline void writeRows(const QString& path, const QList<BoardRow>& rows)
{
    writeRaw(path, BoardFile::format(rows));
}

inline QList<BoardRow> rowsOf(const QString& path)
{
    return BoardFile::parse(Fs::readBytes(path)).rows;
}

// A test user whose waits on shared files do not sleep.
inline std::unique_ptr<TestUser> quickUser()
{
    auto u = std::make_unique<TestUser>();
    u->ctx().board().waits.pause = [](int) {};
    return u;
}

// Where a test's shared files live: a fresh folder on the SMB share of the test
// rig (PORLUNE_SHARE_DIR) or in a local temporary folder. TwoMounts is a folder
// on the share that is also reached through the rig's second mount
// (PORLUNE_SHARE_DIR2), as two machines reach one folder of the file server.
class Place
{
public:
    enum Kind { Local, Share, TwoMounts };

    explicit Place(Kind kind) : m_kind(kind)
    {
        if (kind == Local) {
            m_tmp = std::make_unique<QTemporaryDir>();
            m_path = m_path2 = m_tmp->path();
            return;
        }
        const QString base = qEnvironmentVariable("PORLUNE_SHARE_DIR");
        const QString base2 = kind == TwoMounts ? qEnvironmentVariable("PORLUNE_SHARE_DIR2") : base;
        if (base.isEmpty() || base2.isEmpty())
            return;
        const QString name = QStringLiteral("t-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
        m_path = Paths::join(base, name);
        if (Fs::makeDir(m_path) != 0) {
            m_path.clear();
            return;
        }
        m_ownShareFolder = true;
        m_path2 = Paths::join(base2, name);
        // The second client learns of the new folder from the server; give it a moment.
        QElapsedTimer t;
        t.start();
        while (!Fs::isDir(m_path2) && t.elapsed() < 10000)
            QThread::msleep(50);
        if (!Fs::isDir(m_path2))
            m_path2.clear();
    }
    ~Place()
    {
        if (m_ownShareFolder)
            QDir(m_path).removeRecursively();
    }
    Place(const Place&) = delete;
    Place& operator=(const Place&) = delete;

    bool ok() const { return !m_path.isEmpty() && !m_path2.isEmpty(); }
    const QString& path() const { return m_path; }
    QString file(const QString& name) const { return Paths::join(m_path, name); }
    // The same folder and file as the second client sees them (the first
    // client's path where there is one client only).
    const QString& path2() const { return m_path2; }
    QString file2(const QString& name) const { return Paths::join(m_path2, name); }
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_path;
    QString m_path2;
    bool m_ownShareFolder = false;
};

inline bool shareRequired()
{
    return qEnvironmentVariable("PORLUNE_REQUIRE_SHARE") == QLatin1String("1");
}

} // namespace BoardFixture

Q_DECLARE_METATYPE(BoardFixture::Place::Kind)

// Opens a Place for the current data row; skips (or fails, when the share is
// required) a share row without a share.
#define BOARD_PLACE(var, kind)                                                                                 \
    BoardFixture::Place var(kind);                                                                             \
    if (!var.ok()) {                                                                                           \
        if (BoardFixture::shareRequired())                                                                     \
            QFAIL("PORLUNE_REQUIRE_SHARE=1 but PORLUNE_SHARE_DIR (or PORLUNE_SHARE_DIR2 for two mounts) "      \
                  "is unset, not writable or not the same share");                                             \
        QSKIP("no SMB share: set PORLUNE_SHARE_DIR and PORLUNE_SHARE_DIR2 (tools/smb-rig.sh start) to run "    \
              "this case on a share");                                                                         \
    }

// The two data rows of a test that runs on a local folder and on the share.
#define BOARD_PLACES_DATA()                                                                                    \
    QTest::addColumn<BoardFixture::Place::Kind>("place");                                                      \
    QTest::newRow("local") << BoardFixture::Place::Local;                                                      \
    QTest::newRow("share") << BoardFixture::Place::Share

// The same, with a third row on the share through two mounts (two clients).
#define BOARD_PLACES_TWO_MOUNTS_DATA()                                                                         \
    BOARD_PLACES_DATA();                                                                                       \
    QTest::newRow("two mounts") << BoardFixture::Place::TwoMounts
