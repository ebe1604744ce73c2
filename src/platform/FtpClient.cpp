#include "platform/FtpClient.h"

#include "platform/FileOps.h"
#include "platform/TextCodec.h"

#include <QDateTime>
#include <QLibrary>
#include <QRandomGenerator>
#include <QUrl>

#include <curl/curl.h>

#include <mutex>

namespace {

// libcurl and the TLS, Kerberos and LDAP libraries it pulls in take longer to
// load than the rest of the program: they are loaded at the first transfer
// (on the FTP worker), not at every start.
struct CurlApi {
    CURLcode (*global_init)(long);
    CURL* (*easy_init)();
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...);
    CURLcode (*easy_perform)(CURL*);
    CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...);
    const char* (*easy_strerror)(CURLcode);
    void (*easy_cleanup)(CURL*);
    curl_slist* (*slist_append)(curl_slist*, const char*);
    void (*slist_free_all)(curl_slist*);
};

struct LoadedCurl {
    CurlApi api {};
    bool ok = false;
    QString error;
};

template<typename F>
bool resolve(QLibrary& lib, const char* name, F& to)
{
    to = reinterpret_cast<F>(lib.resolve(name));
    return to != nullptr;
}

LoadedCurl loadCurl()
{
    LoadedCurl out;
    // Never unloaded: libcurl's global state lives as long as the program
    // (held by a static, so the leak check sees it kept, not lost).
    static QLibrary* const lib = new QLibrary(QStringLiteral("curl"), 4);
    CurlApi& a = out.api;
    if (!lib->load() || !resolve(*lib, "curl_global_init", a.global_init) || !resolve(*lib, "curl_easy_init", a.easy_init)
        || !resolve(*lib, "curl_easy_setopt", a.easy_setopt) || !resolve(*lib, "curl_easy_perform", a.easy_perform)
        || !resolve(*lib, "curl_easy_getinfo", a.easy_getinfo) || !resolve(*lib, "curl_easy_strerror", a.easy_strerror)
        || !resolve(*lib, "curl_easy_cleanup", a.easy_cleanup) || !resolve(*lib, "curl_slist_append", a.slist_append)
        || !resolve(*lib, "curl_slist_free_all", a.slist_free_all)) {
        out.error = QStringLiteral("libcurl not usable: ") + lib->errorString();
        return out;
    }
    if (a.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        out.error = QStringLiteral("curl_global_init failed");
        return out;
    }
    out.ok = true;
    return out;
}

// Loaded once, by whichever thread transfers first.
const LoadedCurl& curlLibrary()
{
    static const LoadedCurl loaded = loadCurl();
    return loaded;
}

QByteArray encodedPath(const QString& path)
{
    QByteArray out;
    const QStringList parts = path.split(QLatin1Char('/'));
    for (qsizetype k = 0; k < parts.size(); ++k) {
        if (k)
            out += '/';
        out += QUrl::toPercentEncoding(parts[k]);
    }
    return out;
}

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString baseOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

FtpHostSpec FtpHostSpec::parse(const QString& spec)
{
    FtpHostSpec out;
    const QStringList parts = spec.split(QLatin1Char(':'));
    out.host = parts.value(0).trimmed();
    bool ok = false;
    const int port = parts.value(1).trimmed().toInt(&ok);
    if (ok && port > 0 && port < 65536)
        out.port = port;
    const int seconds = parts.value(2).trimmed().toInt(&ok);
    if (ok && seconds > 0)
        out.limitSeconds = seconds;
    return out;
}

QString ftpHostSpecFor(const QString& serverName)
{
    return serverName + QStringLiteral(":21:10");
}

QString ftpRemotePath(const QString& typed)
{
    QString path = typed;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    return path;
}

bool FtpGet(IFtpClient& client, const QString& server, const QString& user, const QString& password,
            QString& remoteFile, QByteArray* bytes, QString* error, const std::atomic_bool* abort)
{
    remoteFile = ftpRemotePath(remoteFile);
    FtpResult r = client.get(ftpHostSpecFor(server), user, password, remoteFile, abort);
    if (error)
        *error = r.error;
    if (r.ok && bytes)
        *bytes = std::move(r.bytes);
    return r.ok;
}

bool FtpPut(IFtpClient& client, const QString& server, const QString& user, const QString& password,
            QString& remoteFile, const QByteArray& bytes, QString* error, const std::atomic_bool* abort)
{
    remoteFile = ftpRemotePath(remoteFile);
    const FtpResult r = client.put(ftpHostSpecFor(server), user, password, remoteFile, bytes, abort);
    if (error)
        *error = r.error;
    return r.ok;
}

FtpLog::FtpLog(QString path, qint64 maxBytes) : m_path(std::move(path)), m_maxBytes(maxBytes) {}

void FtpLog::write(const QString& host, const QString& what, const QString& outcome)
{
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) + QLatin1Char(' ')
        + host + QLatin1Char(' ') + what + QStringLiteral(": ") + outcome + QStringLiteral("\r\n");
    std::lock_guard lock(m_mutex);
    Fs::appendBytes(m_path, Sjis::encode(line));
    if (Fs::length(m_path) <= m_maxBytes)
        return;
    // Keep the newer half, from a line start on.
    const QByteArray all = Fs::readBytes(m_path);
    qsizetype from = all.size() - m_maxBytes / 2;
    from = all.indexOf('\n', from);
    Fs::writeBytes(m_path, from < 0 ? QByteArray() : all.mid(from + 1));
}

struct CurlFtpClient::Transfer {
    bool upload = false;
    FtpHostSpec host;
    QString user;
    QString password;
    QString remotePath;
    QByteArray out;           // put: what is sent
    qsizetype sent = 0;
    QByteArray in;            // get: what came
    qint64 maxIn = 0;
    bool tooLarge = false;
    const std::atomic_bool* abort = nullptr;
    const Options* options = nullptr;
};

CurlFtpClient::CurlFtpClient(Options options) : m_options(std::move(options))
{
    if (!m_options.logPath.isEmpty())
        m_log = std::make_unique<FtpLog>(m_options.logPath, m_options.maxLogBytes);
}

CurlFtpClient::~CurlFtpClient() = default;

FtpResult CurlFtpClient::get(const QString& hostSpec, const QString& user, const QString& password,
                             const QString& remotePath, const std::atomic_bool* abort)
{
    Transfer t;
    t.host = FtpHostSpec::parse(hostSpec);
    t.user = user;
    t.password = password;
    t.remotePath = remotePath;
    t.maxIn = m_options.maxFileBytes;
    t.abort = abort;
    return run(t);
}

FtpResult CurlFtpClient::put(const QString& hostSpec, const QString& user, const QString& password,
                             const QString& remotePath, const QByteArray& bytes, const std::atomic_bool* abort)
{
    Transfer t;
    t.upload = true;
    t.host = FtpHostSpec::parse(hostSpec);
    t.user = user;
    t.password = password;
    t.remotePath = remotePath;
    t.out = bytes;
    t.abort = abort;
    return run(t);
}

static size_t receive(char* data, size_t size, size_t count, void* user)
{
    auto& t = *static_cast<CurlFtpClient::Transfer*>(user);
    const size_t n = size * count;
    if (t.in.size() + qint64(n) > t.maxIn) {
        t.tooLarge = true;
        return 0; // ends the transfer with a write error
    }
    t.in.append(data, qsizetype(n));
    return n;
}

static size_t sendMore(char* buffer, size_t size, size_t count, void* user)
{
    auto& t = *static_cast<CurlFtpClient::Transfer*>(user);
    const size_t n = std::min(size * count, size_t(t.out.size() - t.sent));
    memcpy(buffer, t.out.constData() + t.sent, n);
    t.sent += qsizetype(n);
    return n;
}

static int progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto& t = *static_cast<CurlFtpClient::Transfer*>(user);
    return t.abort && t.abort->load() ? 1 : 0;
}

static int trace(CURL*, curl_infotype type, char* data, size_t size, void* user)
{
    auto& t = *static_cast<CurlFtpClient::Transfer*>(user);
    if (type != CURLINFO_TEXT && type != CURLINFO_HEADER_IN && type != CURLINFO_HEADER_OUT)
        return 0; // file contents stay out of the trace
    QByteArray line(data, qsizetype(size));
    if (type == CURLINFO_HEADER_OUT && line.startsWith("PASS "))
        line = "PASS ****\r\n";
    const QByteArray secret = t.password.toUtf8();
    if (!secret.isEmpty())
        line.replace(secret, "****");
    t.options->trace(line);
    return 0;
}

FtpResult CurlFtpClient::run(Transfer& t)
{
    FtpResult result;
    t.options = &m_options;
    const QString what = (t.upload ? QStringLiteral("PUT ") : QStringLiteral("GET ")) + t.remotePath;
    const QString hostText = t.host.host + QLatin1Char(':') + QString::number(t.host.port);

    const LoadedCurl& lib = curlLibrary();
    const CurlApi& api = lib.api;
    CURL* curl = lib.ok ? api.easy_init() : nullptr;
    if (!curl) {
        result.error = lib.ok ? QStringLiteral("curl_easy_init failed") : lib.error;
        if (m_log)
            m_log->write(hostText, QStringLiteral("connect"), result.error);
        return result;
    }
    // A temporary name beside the target, private to this transfer.
    const QString tempName = QStringLiteral(".") + baseOf(t.remotePath) + QStringLiteral(".")
        + QString::number(QRandomGenerator::system()->generate(), 36) + QStringLiteral(".tmp");
    const QString sentPath = t.upload ? folderOf(t.remotePath) + tempName : t.remotePath;
    const QByteArray fullUrl = "ftp://" + QUrl::toPercentEncoding(t.host.host, "-._~") + ":"
        + QByteArray::number(t.host.port) + "/" + encodedPath(sentPath);
    const QByteArray user = t.user.toUtf8();
    const QByteArray password = t.password.toUtf8();
    char errorText[CURL_ERROR_SIZE] = {};

    api.easy_setopt(curl, CURLOPT_URL, fullUrl.constData());
    api.easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
    api.easy_setopt(curl, CURLOPT_USERNAME, user.constData());
    api.easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    api.easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    api.easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    api.easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    api.easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    api.easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L); // binary
    api.easy_setopt(curl, CURLOPT_FTPPORT, nullptr); // passive
    const long limit = t.host.limitSeconds;
    api.easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limit);
    api.easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, limit);
    api.easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    api.easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limit);
    api.easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    api.easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress);
    api.easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
    if (m_options.trace) {
        api.easy_setopt(curl, CURLOPT_VERBOSE, 1L);
        api.easy_setopt(curl, CURLOPT_DEBUGFUNCTION, trace);
        api.easy_setopt(curl, CURLOPT_DEBUGDATA, &t);
    }
    curl_slist* after = nullptr;
    if (t.upload) {
        api.easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        api.easy_setopt(curl, CURLOPT_READFUNCTION, sendMore);
        api.easy_setopt(curl, CURLOPT_READDATA, &t);
        api.easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(t.out.size()));
        // Run in the target's folder after the upload: the rename into place.
        after = api.slist_append(after, ("RNFR " + tempName).toUtf8().constData());
        after = api.slist_append(after, ("RNTO " + baseOf(t.remotePath)).toUtf8().constData());
        api.easy_setopt(curl, CURLOPT_POSTQUOTE, after);
    } else {
        api.easy_setopt(curl, CURLOPT_WRITEFUNCTION, receive);
        api.easy_setopt(curl, CURLOPT_WRITEDATA, &t);
    }

    const CURLcode code = api.easy_perform(curl);
    curl_off_t pretransfer = 0;
    api.easy_getinfo(curl, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    curl_off_t announced = -1;
    api.easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);

    // Reached and logged in: the transfer step began, or failed at the file.
    result.connected = code == CURLE_OK || pretransfer > 0 || code == CURLE_REMOTE_FILE_NOT_FOUND
        || code == CURLE_REMOTE_ACCESS_DENIED || code == CURLE_QUOTE_ERROR || code == CURLE_PARTIAL_FILE
        || code == CURLE_UPLOAD_FAILED;
    if (code != CURLE_OK) {
        result.error = QString::fromUtf8(*errorText ? errorText : api.easy_strerror(code));
        if (t.tooLarge)
            result.error = QStringLiteral("file larger than %1 bytes").arg(t.maxIn);
        if (t.abort && t.abort->load())
            result.error = QStringLiteral("cancelled");
    } else if (!t.upload && announced >= 0 && announced != t.in.size()) {
        result.error = QStringLiteral("received %1 of %2 bytes").arg(t.in.size()).arg(announced);
    } else {
        result.ok = true;
        result.bytes = std::move(t.in);
    }
    api.slist_free_all(after);
    api.easy_cleanup(curl);

    if (m_log) {
        m_log->write(hostText, QStringLiteral("connect ") + t.user,
                     result.connected ? QStringLiteral("OK") : result.error);
        if (result.connected)
            m_log->write(hostText, what,
                         result.ok ? QStringLiteral("OK %1 bytes").arg(t.upload ? t.out.size() : result.bytes.size())
                                   : result.error);
    }
    return result;
}
