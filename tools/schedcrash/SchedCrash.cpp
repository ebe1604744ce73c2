// Crash driver for the scheduled-message dispatcher: "setup" fills a "TIM"
// folder with due messages, "run" dispatches them (killed from outside at a
// random moment by sched-crash.sh), "check" says whether every message reached
// the mail place exactly once and nothing is left waiting.
#include "messaging/MessageFile.h"
#include "messaging/ScheduledMail.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 6) {
        std::fprintf(stderr, "usage: porlune-schedcrash setup|run|check TIM RCV PLACE COUNT\n");
        return 2;
    }
    const QString cmd = a[1], tim = a[2], rcv = a[3], place = a[4];
    const int count = a[5].toInt();
    const QString due = QStringLiteral("20060614093000");
    auto recipient = [](int i) { return QStringLiteral("R%1").arg(i, 2, 10, QChar(u'0')); };
    if (cmd == u"setup") {
        for (int i = 0; i < count; ++i) {
            MessageFile m;
            m.addressees = recipient(i) + u',';
            m.sender = QStringLiteral("Taro");
            m.sentAt = QStringLiteral("2006/06/14 09:05:00");
            m.receipt = QStringLiteral("1");
            m.mailId = QString::number(i + 1);
            m.setText(QStringLiteral("定時の連絡 %1").arg(i));
            if (Fs::writeBytes(Paths::join(tim, due + recipient(i) + QStringLiteral(".001")),
                    MessageFormat::encode(m)))
                return 1;
        }
        return 0;
    }
    ScheduledMail store(tim, rcv, place, QStringLiteral("Taro"));
    if (cmd == u"run") {
        const ScheduledMail::RunResult r
            = store.dispatchDue(QStringLiteral("20060614093100"), QStringLiteral("2006/06/14 09:31:00"));
        return r.ok() ? 0 : 1;
    }
    if (cmd == u"check") {
        int bad = 0;
        for (int i = 0; i < count; ++i) {
            const QStringList got = Fs::list(place, recipient(i) + QStringLiteral(".*"));
            const MessageReadResult m = got.size() == 1
                ? MessageFormat::read(Paths::join(place, got[0]))
                : MessageReadResult {};
            if (got.size() != 1 || !m.intact()
                || m.message.text() != QStringLiteral("定時の連絡 %1").arg(i)) {
                std::printf("%s: %lld copies\n", qPrintable(recipient(i)), qlonglong(got.size()));
                ++bad;
            }
        }
        const QStringList left = Fs::list(tim, QStringLiteral("*"));
        if (!left.isEmpty()) {
            std::printf("left waiting: %s\n", qPrintable(left.join(u' ')));
            ++bad;
        }
        // A writer killed mid-write leaves its temporary file; no fetch pattern matches it.
        const QStringList litter = Fs::list(place, QStringLiteral("~*"));
        if (!litter.isEmpty())
            std::printf("litter: %s\n", qPrintable(litter.join(u' ')));
        return bad ? 1 : 0;
    }
    return 2;
}
