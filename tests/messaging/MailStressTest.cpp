#include "MailStressTest.h"

#include "maildrv/StressMessage.h"
#include "messaging/Mailbox.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>
#include <vector>

namespace {

constexpr int kSenders = 4;
constexpr int kPerSender = 100;
const QString kRecipient = QStringLiteral("受取人");
// Bounds on waiting for the processes: a hang fails the test instead of stalling it.
constexpr int kProcessWaitMs = 540000;
constexpr int kFetchIdleSeconds = 90;

QString driver()
{
    return QStringLiteral(PORLUNE_MAILDRV);
}

QString output(QProcess& p)
{
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace

void MailStressTest::run(const QString& parent, const QString& label, const QString& parent2)
{
    QTemporaryDir place(Paths::join(parent, QStringLiteral("mailstress-XXXXXX")));
    QVERIFY2(place.isValid(), qPrintable(parent));
    // Every second sender reaches the mail place through the second client.
    const QString place2 = parent2.isEmpty()
        ? place.path()
        : Paths::join(parent2, QFileInfo(place.path()).fileName());
    QElapsedTimer seen;
    seen.start();
    while (!Fs::isDir(place2) && seen.elapsed() < 10000)
        QThread::msleep(50);
    QVERIFY2(Fs::isDir(place2), qPrintable(place2));
    QTemporaryDir local;
    const QString recipientFolder = Paths::join(local.path(), QStringLiteral("recipient"));

    QElapsedTimer wall;
    wall.start();
    QProcess fetcher;
    fetcher.start(driver(),
        { QStringLiteral("fetch"), QStringLiteral("--place"), place.path(),
            QStringLiteral("--folder"), recipientFolder, QStringLiteral("--name"), kRecipient,
            QStringLiteral("--expect"), QString::number(kSenders * kPerSender),
            QStringLiteral("--idle"), QString::number(kFetchIdleSeconds) });
    QVERIFY(fetcher.waitForStarted());
    std::vector<std::unique_ptr<QProcess>> senders;
    QStringList names;
    for (int i = 1; i <= kSenders; ++i) {
        names.append(QStringLiteral("送信者%1").arg(i));
        auto p = std::make_unique<QProcess>();
        p->start(driver(),
            { QStringLiteral("send"), QStringLiteral("--place"), i % 2 ? place.path() : place2,
                QStringLiteral("--folder"), Paths::join(local.path(), names.last()),
                QStringLiteral("--from"), names.last(), QStringLiteral("--to"), kRecipient,
                QStringLiteral("--count"), QString::number(kPerSender) });
        QVERIFY(p->waitForStarted());
        senders.push_back(std::move(p));
    }
    for (auto& p : senders) {
        QVERIFY2(p->waitForFinished(kProcessWaitMs), "a sender did not finish");
        const QString out = output(*p);
        qInfo("%s: %s", qPrintable(label), qPrintable(out));
        QVERIFY2(p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0,
            qPrintable(out + QString::fromUtf8(p->readAllStandardError())));
    }
    QVERIFY2(fetcher.waitForFinished(kProcessWaitMs), "the fetcher did not finish");
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const QString fetchOut = output(fetcher);
    qInfo("%s: %s", qPrintable(label), qPrintable(fetchOut));
    QCOMPARE(fetcher.exitCode(), 0);

    // A last fetch after every sender has finished: nothing may be left over or
    // come a second time.
    const Mailbox box(place.path(), recipientFolder, kRecipient);
    QCOMPARE(box.fetch().moved, QStringList());
    // No drop file, claim or temporary file is left in the mail place.
    QCOMPARE(QDir(place.path())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
        QStringList());

    QSet<QString> arrived;
    int damaged = 0, duplicates = 0;
    const QStringList inbox = box.inboxFiles();
    for (const QString& file : inbox) {
        const StressMessage::Checked c = StressMessage::check(
            MessageFormat::read(Paths::join(recipientFolder, file)), kRecipient);
        if (!c.whole || !names.contains(c.sender) || c.seq < 1 || c.seq > kPerSender) {
            ++damaged;
            continue;
        }
        const QString key = c.sender + u'#' + QString::number(c.seq);
        duplicates += arrived.contains(key) ? 1 : 0;
        arrived.insert(key);
    }
    const int lost = kSenders * kPerSender - int(arrived.size());
    qInfo("%s: %d messages from %d senders, %.2f s, %.1f messages/s, lost %d, duplicates %d, "
          "damaged %d",
        qPrintable(label), int(inbox.size()), kSenders, seconds, double(inbox.size()) / seconds,
        lost, duplicates, damaged);
    QCOMPARE(damaged, 0);
    QCOMPARE(duplicates, 0);
    QCOMPARE(lost, 0);
    QCOMPARE(int(inbox.size()), kSenders * kPerSender);
}

void MailStressTest::localFolder()
{
    QTemporaryDir parent;
    run(parent.path(), QStringLiteral("local"));
}

void MailStressTest::smbShare()
{
    const QString share = qEnvironmentVariable("PORLUNE_SHARE_DIR");
    const bool required = qEnvironmentVariable("PORLUNE_REQUIRE_SHARE") == u"1";
    if (share.isEmpty() || !Fs::isDir(share)) {
        if (required)
            QFAIL(qPrintable(QStringLiteral(
                "PORLUNE_REQUIRE_SHARE=1 but PORLUNE_SHARE_DIR (\"%1\") is no folder")
                                 .arg(share)));
        QSKIP("PORLUNE_SHARE_DIR names no SMB share folder");
    }
    run(share, QStringLiteral("smb"));
}

void MailStressTest::smbShareTwoMounts()
{
    const QString share = qEnvironmentVariable("PORLUNE_SHARE_DIR");
    const QString share2 = qEnvironmentVariable("PORLUNE_SHARE_DIR2");
    const bool required = qEnvironmentVariable("PORLUNE_REQUIRE_SHARE") == u"1";
    if (share.isEmpty() || !Fs::isDir(share) || share2.isEmpty() || !Fs::isDir(share2)) {
        if (required)
            QFAIL(qPrintable(QStringLiteral("PORLUNE_REQUIRE_SHARE=1 but PORLUNE_SHARE_DIR (\"%1\") or "
                                            "PORLUNE_SHARE_DIR2 (\"%2\") is no folder")
                                 .arg(share, share2)));
        QSKIP("PORLUNE_SHARE_DIR and PORLUNE_SHARE_DIR2 name no two mounts of one SMB share");
    }
    run(share, QStringLiteral("smb, two mounts"), share2);
}
