#include "startup/SharedRoutines.h"

#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"

int FileExists(const QString& path)
{
    return Fs::isReadableFile(path) ? -1 : 0;
}

QString DateTimeText(const IClock& clock, int mode)
{
    const QDateTime now = clock.now();
    if (mode == 1)
        return now.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    return now.toString(QStringLiteral("yyyyMMddHHmmss"));
}

QString SetTimeText(const IClock& clock)
{
    const QString t = DateTimeText(clock, 1);
    return t.mid(5, 5) + u' ' + t.mid(11, 5);
}

int LastPos(const QString& text, const QString& pattern)
{
    if (pattern.isEmpty())
        return 999;
    const qsizetype p = text.lastIndexOf(pattern);
    return p < 0 ? 999 : int(p + 1);
}

QString fileErrorText(const QString& procedure, const QString& path, FileErrorKind kind,
                      int errorNumber)
{
    const QString what = kind == FileErrorKind::Open ? QStringLiteral(" open error! err code = ")
                                                     : QStringLiteral(" write error! err code = ");
    return procedure + path + what + QString::number(errorNumber);
}

void reportFileError(IMessageBox& box, const QString& procedure, const QString& path,
                     FileErrorKind kind, int errorNumber)
{
    box.show({fileErrorText(procedure, path, kind, errorNumber), appTitle(), MsgIcon::None,
              MsgButtons::Ok, 0, false});
}

QString trimBlanks(const QString& text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == u' ')
        ++b;
    while (e > b && text[e - 1] == u' ')
        --e;
    return text.mid(b, e - b);
}
