#pragma once

#include "platform/FileOps.h"
#include "platform/Paths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUuid>

#include <memory>

// Where a test's shared files live: a fresh folder on the SMB share of the test
// rig (PORLUNE_SHARE_DIR) or in a local temporary folder. TwoMounts is a folder
// on the share that is also reached through the rig's second mount
// (PORLUNE_SHARE_DIR2), as two machines reach one folder of the file server.
class SharedPlace
{
public:
    enum Kind { Local, Share, TwoMounts };

    explicit SharedPlace(Kind kind) : m_kind(kind)
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
    ~SharedPlace()
    {
        if (m_ownShareFolder)
            QDir(m_path).removeRecursively();
    }
    SharedPlace(const SharedPlace&) = delete;
    SharedPlace& operator=(const SharedPlace&) = delete;

    bool ok() const { return !m_path.isEmpty() && !m_path2.isEmpty(); }
    const QString& path() const { return m_path; }
    QString file(const QString& name) const { return Paths::join(m_path, name); }
    // The same folder and file as the second client sees them (the first
    // client's path where there is one client only).
    const QString& path2() const { return m_path2; }
    QString file2(const QString& name) const { return Paths::join(m_path2, name); }
    Kind kind() const { return m_kind; }

    static bool shareRequired() { return qEnvironmentVariable("PORLUNE_REQUIRE_SHARE") == QLatin1String("1"); }

private:
    Kind m_kind;
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_path;
    QString m_path2;
    bool m_ownShareFolder = false;
};

Q_DECLARE_METATYPE(SharedPlace::Kind)

// Opens a SharedPlace for the current data row; skips (or fails, when the share
// is required) a share row without a share.
#define SHARED_PLACE(var, kind)                                                                                \
    SharedPlace var(kind);                                                                                     \
    if (!var.ok()) {                                                                                           \
        if (SharedPlace::shareRequired())                                                                      \
            QFAIL("PORLUNE_REQUIRE_SHARE=1 but PORLUNE_SHARE_DIR (or PORLUNE_SHARE_DIR2 for two mounts) "      \
                  "is unset, not writable or not the same share");                                             \
        QSKIP("no SMB share: set PORLUNE_SHARE_DIR and PORLUNE_SHARE_DIR2 (tools/smb-rig.sh start) to run "    \
              "this case on a share");                                                                         \
    }

// The two data rows of a test that runs on a local folder and on the share.
#define SHARED_PLACES_DATA()                                                                                   \
    QTest::addColumn<SharedPlace::Kind>("place");                                                              \
    QTest::newRow("local") << SharedPlace::Local;                                                              \
    QTest::newRow("share") << SharedPlace::Share

// The same, with a third row on the share through two mounts (two clients).
#define SHARED_PLACES_TWO_MOUNTS_DATA()                                                                        \
    SHARED_PLACES_DATA();                                                                                      \
    QTest::newRow("two mounts") << SharedPlace::TwoMounts
