#pragma once

#include "board/BoardFile.h"
#include "board/BoardRow.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "support/SharedPlace.h"
#include "support/TestContext.h"

#include <QTest>

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

} // namespace BoardFixture
