#pragma once

#include <QObject>

class TextScrambleTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void codeTable();
    void codeLookup_data();
    void codeLookup();
    void encodeWithKnownKey_data();
    void encodeWithKnownKey();
    void freshKeyPerCall();
    void otherDirections();
    void randomTextsRoundTrip();
    void unreadable_data();
    void unreadable();
    void legacyDecode_data();
    void legacyDecode();
    void legacyDecodeFarKeys();
};
