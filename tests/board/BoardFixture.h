#pragma once

#include "board/BoardFile.h"
#include "board/BoardRow.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "support/TestContext.h"

#include <QDir>
#include <QTemporaryDir>
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
// rig (PORLUNE_SHARE_DIR) or in a local temporary folder.
class Place
{
public:
    enum Kind { Local, Share };

    explicit Place(Kind kind) : m_kind(kind)
    {
        if (kind == Local) {
            m_tmp = std::make_unique<QTemporaryDir>();
            m_path = m_tmp->path();
            return;
        }
        const QString base = qEnvironmentVariable("PORLUNE_SHARE_DIR");
        if (base.isEmpty())
            return;
        m_path = Paths::join(base, QStringLiteral("t-") + QUuid::createUuid().toString(QUuid::Id128).left(12));
        if (Fs::makeDir(m_path) != 0)
            m_path.clear();
        m_ownShareFolder = !m_path.isEmpty();
    }
    ~Place()
    {
        if (m_ownShareFolder)
            QDir(m_path).removeRecursively();
    }
    Place(const Place&) = delete;
    Place& operator=(const Place&) = delete;

    bool ok() const { return !m_path.isEmpty(); }
    const QString& path() const { return m_path; }
    QString file(const QString& name) const { return Paths::join(m_path, name); }
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_path;
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
            QFAIL("PORLUNE_REQUIRE_SHARE=1 but PORLUNE_SHARE_DIR is unset or not writable");                   \
        QSKIP("no SMB share: set PORLUNE_SHARE_DIR (tools/smb-rig.sh start) to run this case on a share");     \
    }

// The two data rows of a test that runs on a local folder and on the share.
#define BOARD_PLACES_DATA()                                                                                    \
    QTest::addColumn<BoardFixture::Place::Kind>("place");                                                      \
    QTest::newRow("local") << BoardFixture::Place::Local;                                                      \
    QTest::newRow("share") << BoardFixture::Place::Share
