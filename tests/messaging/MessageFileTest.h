#pragma once

#include <QObject>

class MessageFileTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void plainLinesOfAMessage();
    void legacyFile();
    void legacyFirstLine_data();
    void legacyFirstLine();
    void damagedFiles_data();
    void damagedFiles();
    void missingFile();
    void lastLineWithoutLineBreakAndEmptyLines();
    void addresseeNames_data();
    void addresseeNames();
};
