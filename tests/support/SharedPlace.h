#pragma once

#include "platform/FileOps.h"
#include "platform/Paths.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <memory>

// Where a test's shared files live: a fresh folder on the SMB share of the test
// rig (PORLUNE_SHARE_DIR) or a local temporary folder.
class SharedPlace
{
public:
    enum Kind { Local, Share };

    explicit SharedPlace(Kind kind) : m_kind(kind)
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
    ~SharedPlace()
    {
        if (m_ownShareFolder)
            QDir(m_path).removeRecursively();
    }
    SharedPlace(const SharedPlace&) = delete;
    SharedPlace& operator=(const SharedPlace&) = delete;

    bool ok() const { return !m_path.isEmpty(); }
    const QString& path() const { return m_path; }
    QString file(const QString& name) const { return Paths::join(m_path, name); }
    Kind kind() const { return m_kind; }

    static bool shareRequired() { return qEnvironmentVariable("PORLUNE_REQUIRE_SHARE") == QLatin1String("1"); }

private:
    Kind m_kind;
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_path;
    bool m_ownShareFolder = false;
};

Q_DECLARE_METATYPE(SharedPlace::Kind)

// Opens a SharedPlace for the current data row; skips (or fails, when the share
// is required) a share row without a share.
#define SHARED_PLACE(var, kind)                                                                                \
    SharedPlace var(kind);                                                                                     \
    if (!var.ok()) {                                                                                           \
        if (SharedPlace::shareRequired())                                                                      \
            QFAIL("PORLUNE_REQUIRE_SHARE=1 but PORLUNE_SHARE_DIR is unset or not writable");                   \
        QSKIP("no SMB share: set PORLUNE_SHARE_DIR (tools/smb-rig.sh start) to run this case on a share");     \
    }

// The two data rows of a test that runs on a local folder and on the share.
#define SHARED_PLACES_DATA()                                                                                   \
    QTest::addColumn<SharedPlace::Kind>("place");                                                              \
    QTest::newRow("local") << SharedPlace::Local;                                                              \
    QTest::newRow("share") << SharedPlace::Share
