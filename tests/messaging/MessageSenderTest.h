#pragma once

#include <QObject>

// The sending order and what senders and recipients see of it.
class MessageSenderTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void messageTmpThenOneCopyPerRecipient();
    void oldMessageTmpIsReplaced();
    void mailId_data();
    void mailId();
    void badRecipientRefusesWholeSend_data();
    void badRecipientRefusesWholeSend();
    void fullRecipientIsReportedOthersServed();
    void missingMailPlaceIsReported();
    void unwritableMessageTmpDeliversNothing();
    void scheduledSendGoesToTim();
    void twoUsersMessageAndReceipt();
    void scheduledDispatchSendsDueInNameOrder();
    void interruptedDispatchDeliversOnce_data();
    void interruptedDispatchDeliversOnce();
    void dueCheckRunsWhenEarliestTimeComes();
};
