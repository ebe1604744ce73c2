#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

// Where a transfer goes: "name[:port[:seconds]]". The seconds bound the
// connect, every wait for the server's answer and a stalled transfer.
struct FtpHostSpec {
    QString host;
    int port = 21;
    int limitSeconds = 10;
    // Missing or unusable numbers take the defaults above.
    static FtpHostSpec parse(const QString& spec);
};

// The host text every board transfer uses (server, port and time limit).
QString ftpHostSpecFor(const QString& serverName);

// A path as typed in the FTP list, as the server is asked for it: a leading
// "/" or "\" is dropped (paths are relative to the login folder), "\" becomes
// "/". Any other first character stays.
QString ftpRemotePath(const QString& typed);

struct FtpResult {
    bool connected = false; // the server was reached and the login accepted
    bool ok = false;        // the whole transfer completed
    QByteArray bytes;       // get: the file
    QString error;          // libcurl's text on failure
};

// One connection per call, binary, passive; safe to call from several threads
// at once. abort, when given, is polled during the transfer: set, the call
// gives up within about a second.
class IFtpClient
{
public:
    virtual ~IFtpClient() = default;
    // Fetches a file into memory. ok only when every byte the server announced
    // arrived.
    virtual FtpResult get(const QString& hostSpec, const QString& user, const QString& password,
                          const QString& remotePath, const std::atomic_bool* abort = nullptr) = 0;
    // Sends bytes to a temporary name beside remotePath and renames it into
    // place, so nobody fetches a half-sent file.
    virtual FtpResult put(const QString& hostSpec, const QString& user, const QString& password,
                          const QString& remotePath, const QByteArray& bytes,
                          const std::atomic_bool* abort = nullptr) = 0;

protected:
    IFtpClient() = default;
};

// The two transfers as the program's callers make them: the server name gets
// the host text above, the remote path as typed loses its leading
// separator (the caller's variable too). True when the whole file came or
// went; error, when given, gets libcurl's text on failure.
bool FtpGet(IFtpClient& client, const QString& server, const QString& user, const QString& password,
            QString& remoteFile, QByteArray* bytes, QString* error = nullptr, const std::atomic_bool* abort = nullptr);
bool FtpPut(IFtpClient& client, const QString& server, const QString& user, const QString& password,
            QString& remoteFile, const QByteArray& bytes, QString* error = nullptr,
            const std::atomic_bool* abort = nullptr);

// The transfer log: one line per connection and per transfer (time, host,
// file, outcome), appended; when it grows past maxBytes its older half is
// dropped. Passwords never reach it.
class FtpLog
{
public:
    explicit FtpLog(QString path, qint64 maxBytes = 256 * 1024);
    void write(const QString& host, const QString& what, const QString& outcome);
    const QString& path() const { return m_path; }

private:
    QString m_path;
    qint64 m_maxBytes;
    std::mutex m_mutex;
};

class CurlFtpClient final : public IFtpClient
{
public:
    struct Options {
        QString logPath;     // empty = no transfer log
        qint64 maxLogBytes = 256 * 1024;
        qint64 maxFileBytes = 64 * 1024 * 1024; // a get larger than this fails
        // libcurl's verbose trace, with the password masked, line by line;
        // empty = no trace.
        std::function<void(const QByteArray&)> trace;
    };
    explicit CurlFtpClient(Options options);
    ~CurlFtpClient() override;

    FtpResult get(const QString& hostSpec, const QString& user, const QString& password,
                  const QString& remotePath, const std::atomic_bool* abort = nullptr) override;
    FtpResult put(const QString& hostSpec, const QString& user, const QString& password,
                  const QString& remotePath, const QByteArray& bytes,
                  const std::atomic_bool* abort = nullptr) override;

    struct Transfer; // one call's state, seen by libcurl's callbacks

private:
    FtpResult run(Transfer& t);

    Options m_options;
    std::unique_ptr<FtpLog> m_log;
};
