// The message log reader and what the viewer builds of a loaded log. Built
// twice: as it is (plain logs, and locked ones the fuzzer finds), and with
// the input behind a locked log's marker line (FUZZ_LOCKED_LOG), so every
// input goes the locked way: password line, then scrambled record lines.
#include "FuzzSupport.h"

#include "common/TextScramble.h"
#include "msglog/LogView.h"
#include "msglog/MessageLog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fuzz::QuietMessageBox box;
    QByteArray bytes;
#ifdef FUZZ_LOCKED_LOG
    bytes = Scramble::encode(MessageLog::lockMarker(), 11).toLatin1() + "\r\n";
#endif
    bytes += Fuzz::bytes(data, size);
    const QString path = Fuzz::writeFile(QStringLiteral("msglog.txt"), bytes);

    const std::optional<QString> password = MessageLog::lockPassword(bytes);
    if (password.has_value() != MessageLog::isLocked(path) && password.has_value())
        __builtin_trap();
    int error = -1;
    MessageLog::ParseResult r = MessageLog::Msglog_Read(path, box, &error);
    if (error != 0)
        __builtin_trap();
    const MessageLog::RecordTable& t = r.records;
    for (qsizetype k = 0; k < t.size(); ++k) {
        const MessageLog::Record rec = t.at(k);
        if (rec.number != k + 1 || rec.date != t.date(k) || rec.time != t.time(k) || rec.text != t.text(k))
            __builtin_trap();
        (void)t.otherPartyRaw(k);
        (void)t.dateKey(k);
        (void)t.timeKey(k);
        (void)LogView::weekdayText(rec.date);
    }

    LogView::Model model;
    model.load(std::move(r));
    for (int index : {int(LogView::DateName), int(LogView::Date), int(LogView::NameDate), int(LogView::Name)}) {
        model.select(index);
        for (const LogView::Node& node : model.nodes())
            (void)model.listed(node.key);
    }
    return 0;
}
