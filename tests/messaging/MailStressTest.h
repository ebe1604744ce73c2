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

private:
    void run(const QString& parent, const QString& label);
};
