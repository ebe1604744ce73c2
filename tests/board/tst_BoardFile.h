#pragma once

#include <QObject>

class TestBoardFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void lineFormat();
    void cutShort_data();
    void cutShort();
    void fiftyRowsAndBeyond_data();
    void fiftyRowsAndBeyond();
    void lookAlikeRowsKeepTheirOwnLines();
};
