#pragma once

#include <QObject>

// Several sender processes and one fetching recipient process on one mail
// place at once: every message arrives exactly once, whole and readable.
class MailStressTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void localFolder();
    void smbShare();
    // Senders split across two clients of one share (tools/smb-rig.sh mounts it twice).
    void smbShareTwoMounts();

private:
    // parent2: the same folder as parent through a second client, or empty.
    void run(const QString& parent, const QString& label, const QString& parent2 = QString());
};
