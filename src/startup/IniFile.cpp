#include "startup/IniFile.h"

#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "startup/Settings.h"
#include "startup/SharedRoutines.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int close()
    {
        const int r = ::close(m_fd);
        m_fd = -1;
        return r == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

int openRecords(const QString& path)
{
    return ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
}

int writeRecord(int fd, int number, const QByteArray& value)
{
    const QByteArray rec = IniFile::encodeRecord(number, value);
    const off_t pos = off_t(number - 1) * IniFile::RecordSize;
    qsizetype done = 0;
    while (done < rec.size()) {
        const ssize_t n = ::pwrite(fd, rec.constData() + done, std::size_t(rec.size() - done), pos + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += n;
    }
    return 0;
}

} // namespace

IniFile::IniFile(const QString& path, const QString& programFolder, Settings& settings, IMessageBox& box)
    : m_path(path), m_programFolder(programFolder), m_settings(settings), m_box(box)
{
}

QByteArray IniFile::encodeRecord(int number, const QByteArray& value)
{
    QByteArray rec(RecordSize, '\0');
    const quint16 n = quint16(qint16(number));
    const quint16 len = quint16(value.size());
    rec[0] = char(n & 0xFF);
    rec[1] = char(n >> 8);
    rec[2] = char(len & 0xFF);
    rec[3] = char(len >> 8);
    std::copy(value.begin(), value.end(), rec.begin() + 4);
    return rec;
}

QString IniFile::defaultText(int number) const
{
    const SettingDef* d = Settings::definition(number);
    if (!d)
        return {};
    const QString def = QString::fromUtf8(d->defaultValue);
    if (def.startsWith(u'\\'))
        return Paths::join(m_programFolder, def.mid(1));
    return def;
}

bool IniFile::Inifile_Read()
{
    const QString procedure = QStringLiteral("(Inifile_Read)");
    Fd fd(openRecords(m_path));
    if (fd.get() < 0) {
        const int err = errno;
        m_settings.clear();
        reportFileError(m_box, procedure, m_path, FileErrorKind::Open, err);
        return false;
    }

    QByteArray bytes;
    char buf[8192];
    while (true) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        bytes.append(buf, n);
    }

    std::array<bool, Settings::MaxNumber + 1> found {};
    std::array<qsizetype, Settings::MaxNumber + 1> foundAt {};
    std::array<QByteArray, Settings::MaxNumber + 1> raw;
    for (qsizetype pos = 0; pos + 4 <= bytes.size(); pos += RecordSize) {
        const auto* p = reinterpret_cast<const quint8*>(bytes.constData() + pos);
        const int number = qint16(quint16(p[0] | p[1] << 8));
        const int len = p[2] | p[3] << 8;
        if (!Settings::definition(number) || len > MaxValueBytes || pos + 4 + len > bytes.size())
            continue;
        // Every write goes to the record at the setting's own position: a copy
        // found anywhere else is older and must not undo a later change.
        if (found[std::size_t(number)] && foundAt[std::size_t(number)] == number)
            continue;
        const QByteArray value(bytes.constData() + pos + 4, len);
        if (m_settings.setFromStored(number, Sjis::decode(value))) {
            found[std::size_t(number)] = true;
            foundAt[std::size_t(number)] = pos / RecordSize + 1;
            raw[std::size_t(number)] = value;
        }
    }

    // After the first failed write (a full disk) nothing more is written, but
    // every missing setting still gets its default in memory: zero colours,
    // flags and intervals would leave the copy unusable until the next start.
    bool writable = true;
    auto write = [&](int number, const QByteArray& value) {
        if (!writable)
            return;
        if (const int err = writeRecord(fd.get(), number, value)) {
            reportFileError(m_box, QStringLiteral("(Inifile_Write)"), m_path, FileErrorKind::Write, err);
            writable = false;
        }
    };

    // A setting found away from its own position goes back there first: the
    // default of a missing setting written below may land on the record that
    // held it, and the value would be gone at the next start.
    for (const SettingDef& d : Settings::definitions()) {
        const auto k = std::size_t(d.number);
        if (found[k] && foundAt[k] != d.number)
            write(d.number, raw[k]);
    }

    for (const SettingDef& d : Settings::definitions()) {
        if (found[std::size_t(d.number)])
            continue;
        const QString def = defaultText(d.number);
        m_settings.setFromStored(d.number, def);
        const QByteArray value = Sjis::encode(def);
        if (value.size() > MaxValueBytes)
            continue; // the start-up sequence refuses such a program folder first
        write(d.number, value);
    }
    fd.close();
    return true;
}

bool IniFile::Inifile_Write(int number, const QString& value)
{
    const QString procedure = QStringLiteral("(Inifile_Write)");
    const QByteArray bytes = Sjis::encode(value);
    if (bytes.size() > MaxValueBytes || number < 1 || number > Settings::MaxNumber) {
        reportFileError(m_box, procedure, m_path, FileErrorKind::Write, EOVERFLOW);
        return false;
    }
    Fd fd(openRecords(m_path));
    if (fd.get() < 0) {
        reportFileError(m_box, procedure, m_path, FileErrorKind::Open, errno);
        return false;
    }
    if (const int err = writeRecord(fd.get(), number, bytes)) {
        reportFileError(m_box, procedure, m_path, FileErrorKind::Write, err);
        return false;
    }
    if (const int err = fd.close()) {
        reportFileError(m_box, procedure, m_path, FileErrorKind::Write, err);
        return false;
    }
    return true;
}

bool IniFile::checkStorable(const QString& value)
{
    // Round trip, not just "encodable": a JIS form such as 〜 comes back as its
    // code-page form, which names another file.
    const QByteArray bytes = Sjis::encode(value);
    int err = 0;
    if (Sjis::decode(bytes) != value)
        err = EILSEQ;
    else if (bytes.size() > MaxValueBytes)
        err = EOVERFLOW;
    if (err)
        reportFileError(m_box, QStringLiteral("(Inifile_Write)"), m_path, FileErrorKind::Write, err);
    return err == 0;
}

bool IniFile::store(int number, const QString& storedValue)
{
    if (!checkStorable(storedValue))
        return false;
    m_settings.setFromStored(number, storedValue);
    return Inifile_Write(number, storedValue);
}

bool IniFile::writeBack(int number)
{
    return Inifile_Write(number, m_settings.storedText(number));
}
