#pragma once

#include <QByteArray>

#include <array>
#include <cstddef>

// The tables Shift-JIS (code page 932) text is decoded and encoded with.
struct SjisTables {
    std::array<char16_t, 256> single {};      // 0 = not a character on its own
    std::array<char16_t, 0x7D * 0xBD> dbl {}; // (lead - 0x80) * 0xBD + (trail - 0x40)
    std::array<quint16, 0x10000> enc {};      // UTF-16 unit -> code, 0 = none

    static bool isLeadByte(quint8 b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
    static bool isTrailByte(quint8 b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
    static std::size_t dblIndex(quint8 lead, quint8 trail)
    {
        return std::size_t(lead - 0x80) * 0xBD + std::size_t(trail - 0x40);
    }
    char16_t decodeOne(quint16 code) const
    {
        if (code < 0x100)
            return single[code];
        const quint8 lead = quint8(code >> 8), trail = quint8(code & 0xFF);
        if (!isLeadByte(lead) || !isTrailByte(trail))
            return 0;
        return dbl[dblIndex(lead, trail)];
    }

    // Asked of the platform's windows-31j converter: thousands of calls.
    static SjisTables fromConverter();
    // The same tables as the converter gave them when SjisTableData.inc was
    // written (porlune-sjistables), filled without asking it: what the program
    // starts with.
    static SjisTables fromData();
    // The data file of fromData(), as C++ initialisers.
    QByteArray dataSource() const;
};
