// The FTP list: start-up's reading into the copy's table and the FTP list
// editor's reader.
#include "FuzzSupport.h"

#include "editors/EditedListFiles.h"
#include "ftp/FtpList.h"
#include "startup/AppContext.h"
#include "startup/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fuzz::Copy copy;
    const QByteArray bytes = Fuzz::bytes(data, size);
    const QString path = Fuzz::writeFile(QStringLiteral("ftplist.txt"), bytes);

    const FtpListReadResult r = readFtpList(path);
    if (r.count < 0 || r.count > FtpListSize)
        __builtin_trap();
    if (r.status == FtpListStatus::Loaded) {
        for (int k = 0; k < r.count; ++k)
            (void)formatFtpListLine(r.table[std::size_t(k)]);
    }

    copy.ctx().settings().setText(SettingNo::FtpList, path);
    const int boxes = copy.box().shown;
    const bool ok = FtpSetFile_Read(copy.ctx());
    // A malformed list is told to the user; a sound one is taken silently.
    if (ok == (copy.box().shown != boxes))
        __builtin_trap();

    const EditedListRead edited = EditedListFiles::readFtpList(path);
    if (edited.status == EditedListRead::Ok && edited.rows.size() > EditedListFiles::FtpEntries)
        __builtin_trap();
    return 0;
}
