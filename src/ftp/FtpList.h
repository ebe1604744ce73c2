#pragma once

#include <QString>

#include <array>
#include <optional>

// One line of the FTP list: which way a board file travels, and where to.
struct FtpListEntry {
    int upDown = 0; // 0 = upload, anything else = download
    QString serverName;
    QString serverPath;
    QString userName;
    QString password;
    QString boardFilePath;
    bool operator==(const FtpListEntry&) const = default;
};

inline constexpr int FtpListSize = 100;
using FtpListTable = std::array<FtpListEntry, FtpListSize>;

enum class FtpListStatus { Loaded, Missing, Malformed };

struct FtpListReadResult {
    FtpListStatus status = FtpListStatus::Missing;
    FtpListTable table {};
    int count = 0;
};

// Reads the list: one entry per line, the direction as a number 0 to 255 and
// five quoted texts. A line that does not hold exactly that, or a 101st entry,
// makes the whole list malformed. Blank lines are passed over.
FtpListReadResult readFtpList(const QString& path);

QString formatFtpListLine(const FtpListEntry& entry);

// Writes the first count entries as the whole list, under the list's claim,
// keeping the previous list as path + ".bak". The list holds passwords: the
// file (and its copy) is readable by its owner only. Returns 0 or the system
// error; on an error the old list stays whole.
int writeFtpList(const QString& path, const FtpListTable& table, int count);

class AppContext;

// Start-up's reading of the list named by setting 81 into the context's table.
// A malformed list is reported ("FTPリストに異常があります") and gives false:
// the program must end.
bool FtpSetFile_Read(AppContext& ctx);
