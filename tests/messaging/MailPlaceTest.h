#pragma once

#include <QObject>

// The mail place: drop numbering and the exclusive claims of senders, the
// fetch into the inbox, inbox numbering, the "TMP" restore, names and paths.
class MailPlaceTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fetchNumbersInboxInOrder();
    void fetchSkipsNumbersUsedInTmp();
    void fetchTakesOnlyOwnFiles();
    void fetchRefusesDangerousOwnNames_data();
    void fetchRefusesDangerousOwnNames();
    void fetchNothingWhenMailPlaceIsProgramFolder();
    void immovableFileStaysForNextPoll();
    void fetchAcrossFileSystems();
    void immovableFileAcrossFileSystemsIsNotCopiedTwice();
    void claimedDropIsDeliveredOnce_data();
    void claimedDropIsDeliveredOnce();
    void restoreTmpFiles();
    void inboxFilesAreNumberedOnly();

    void dropTakesFirstFreeNumber();
    void dropWithOneListing();
    void dropPassesOverClaimedNumber();
    void dropClearsStaleClaim();
    void dropRefusesWhenAllNumbersTaken();
    void dropRefusesBadNames_data();
    void dropRefusesBadNames();
    void dropIntoMissingMailPlace();
    void scheduledNames();
    void namesOfFiles();

    void pathSplit_data();
    void pathSplit();
};
