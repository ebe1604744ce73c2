#pragma once

#include <QString>
#include <QStringList>

// One row of a board file: seven texts in file order.
struct BoardRow {
    QString name;           // the key by which a copy finds its own row (setting 26)
    QString destination;    // 行き先
    QString login;          // "1" logged in, "0" logged out, anything else: separator row
    QString setTime;        // 設定日時, mm/dd hh:mm
    QString expectedReturn; // 戻り予定
    QString extension;      // 内線
    QString mailAddress;

    static constexpr int FieldCount = 7;

    bool isSeparator() const { return login != QLatin1String("1") && login != QLatin1String("0"); }
    QStringList fields() const
    {
        return {name, destination, login, setTime, expectedReturn, extension, mailAddress};
    }
    // The first seven of fields; missing ones stay empty.
    static BoardRow fromFields(const QStringList& f)
    {
        BoardRow r;
        QString* slots[FieldCount] = {&r.name, &r.destination, &r.login, &r.setTime,
                                      &r.expectedReturn, &r.extension, &r.mailAddress};
        for (int k = 0; k < FieldCount && k < f.size(); ++k)
            *slots[k] = f[k];
        return r;
    }
    bool operator==(const BoardRow&) const = default;
};

// One entry of the board table, filled from the board list.
struct BoardEntry {
    int number = 0;        // 1 to 20 from the board list; 0 = empty entry (others are kept, never listed)
    QString groupName;
    QString path;          // board file path
    bool shown = false;    // setting 23, digit `number`, is "2"
    bool loggedIn = false; // setting 24, digit `number`, is "2"
    int rowCount = 0;      // rows read last, 0 to 50
    bool readOnly = false; // the board file carries the read-only attribute

    bool operator==(const BoardEntry&) const = default;
};
