#pragma once

#include <QProcess>
#include <QCryptographicHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// FTP servers on loopback for tests, each on an address of its own, port 21.
namespace LoopbackFtp {

inline const QString kUser = QStringLiteral("porlune");
inline const QString kPassword = QStringLiteral("s3cret-pw");

// Addresses of this checkout: 127.A.B.x, A and B from the server script's
// path, so the servers of two checkouts tested side by side never meet; x
// counts up within the run (127.0.0.0/8 is routed to lo whole).
inline QString freshAddress(const QString& script)
{
    static const QByteArray mark = QCryptographicHash::hash(script.toUtf8(), QCryptographicHash::Sha1);
    static int next = 0;
    return QStringLiteral("127.%1.%2.%3").arg(1 + quint8(mark[0]) % 254).arg(quint8(mark[1])).arg(2 + next++ % 250);
}

// Takes connections (the system completes them) and never says a word.
class SilentServer
{
public:
    explicit SilentServer(const QString& script)
    {
        m_address = freshAddress(script);
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_port = htons(21);
        ::inet_pton(AF_INET, m_address.toLatin1().constData(), &a.sin_addr);
        m_ok = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(m_fd, 16) == 0;
    }
    ~SilentServer()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    bool ok() const { return m_ok; }
    const QString& address() const { return m_address; }

private:
    QString m_address;
    int m_fd = -1;
    bool m_ok = false;
};

// The real server (pyftpdlib, script given by the test's build) over a folder
// of its own; stopped when it goes.
class Server
{
public:
    explicit Server(const QString& script, bool slow = false)
    {
        m_address = freshAddress(script);
        QStringList args {script, m_address, QStringLiteral("21"), kUser, kPassword, m_root.path()};
        if (slow)
            args << QStringLiteral("slow");
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Debian's interpreter, which has python3-pyftpdlib.
        m_process.start(QStringLiteral("/usr/bin/python3"), args);
        m_process.waitForReadyRead(10000);
        m_ready = m_process.readAllStandardOutput().contains("ready");
    }
    ~Server() { stop(); }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;
    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    bool ready() const { return m_ready; }
    const QString& address() const { return m_address; }
    QString file(const QString& name) const { return m_root.filePath(name); }

private:
    QTemporaryDir m_root;
    QProcess m_process;
    QString m_address;
    bool m_ready = false;
};

} // namespace LoopbackFtp
