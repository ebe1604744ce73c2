#pragma once

#include "common/TextScramble.h"

#include <QDateTime>
#include <QString>

// The messages waiting in the own "TIM" folder and their dispatch into the mail
// place when their send time has come.
//
// Each message goes out exactly once, even when the program dies mid-run: a
// due file is first renamed to a journal name ("~plj" + its name), its
// dispatch-stamped content is then written whole to a staging file in the mail
// place whose name no fetch pattern matches and no sweep of left-over
// temporary files clears ("~plq…"), a marker ("~pls" + its name) says
// the staging file is complete, and the staging file's rename to a free drop
// name is the one step that delivers. A run meeting a journal resumes it: with
// no marker it writes the staging file again; with the marker and the staging
// file gone, the rename happened and only the journal is cleared.
class ScheduledMail
{
public:
    struct RunResult
    {
        int delivered = 0;
        int error = 0; // errno of the step that stopped the run; 0 when it completed
        QString path; // the file whose operation failed
        bool ok() const { return error == 0; }
    };

    // ownName: the sender's user name, which keeps staging names apart between senders.
    ScheduledMail(QString timFolder, QString rcvFolder, QString mailPlace, QString ownName,
        Scramble::KeySource keys = {});

    static QString nothingWaiting() { return QStringLiteral("99999999999999"); }

    // The smallest send time waiting (interrupted dispatches included), or nothingWaiting().
    QString next() const;

    // Delivers every waiting message whose send time is not later than now14
    // (14 digits), in name order, stamping each with sentAt ("yyyy/MM/dd HH:mm:ss").
    // Stops at the first failure; what is left stays waiting for the next run.
    RunResult dispatchDue(const QString& now14, const QString& sentAt);

    // The addressee in a scheduled file name: from character 15 to the first "." after it.
    static QString addresseeOf(const QString& fileName);
    static bool isScheduledName(const QString& fileName);

    // The file with its sending time replaced by sentAt; other lines unchanged.
    QByteArray stamped(const QByteArray& bytes, const QString& sentAt, bool* receipt,
        int* mailId) const;

private:
    int dispatchOne(const QString& name, const QString& sentAt, RunResult& result);

    QString m_tim;
    QString m_rcv;
    QString m_mailPlace;
    QString m_ownName;
    Scramble::KeySource m_keys;
};

class AppContext;

// The store of the user's own program folder and mail place.
ScheduledMail scheduledMailOf(const AppContext& ctx);

// The earliest waiting send time, kept in the context.
QString TimerMail_Next(const AppContext& ctx);

// After a failed run the next one waits this long, so a share that is down is
// not tried at every tick.
inline constexpr int DispatchRetrySeconds = 30;

// A failed dispatch run, kept by the caller between checks: what was reported
// (reported once until a run completes) and when the next run may start.
struct DispatchFailure
{
    QString reported;
    QDateTime retryAt;
};

// The due check: when the earliest send time has come, dispatches what is due,
// reports a failure ("(TimerMail_Send)") once (the same failure again stays
// silent until a run completes) and recomputes the earliest send time after a
// complete run. True when a run took place.
bool TimerMail_Check(AppContext& ctx, DispatchFailure& failure);
