#include "memo/Banner.h"

#include "platform/FtpClient.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QImageReader>
#include <QTimer>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

QString Banner::defaultComment()
{
    return QStringLiteral("広告募集中！ここにコメントも入れることが出来ます");
}

Banner Banner::empty()
{
    Banner b;
    b.comments.fill(defaultComment());
    return b;
}

namespace BannerFetch {

const std::array<QString, 5>& fileNames()
{
    static const std::array<QString, 5> names {QStringLiteral("100.gif"), QStringLiteral("200.gif"),
                                               QStringLiteral("300.gif"), QStringLiteral("url.txt"),
                                               QStringLiteral("kou.txt")};
    return names;
}

namespace {

QImage loadPicture(const QByteArray& bytes)
{
    if (bytes.size() > MaxPictureBytes)
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > MaxPictureSide || size.height() > MaxPictureSide)
        return {};
    return reader.read();
}

QStringList textLines(const QByteArray& bytes)
{
    return TextFile::splitLines(Sjis::decode(bytes));
}

} // namespace

Banner fromFiles(const std::array<std::optional<QByteArray>, 5>& files)
{
    Banner b = Banner::empty();
    for (int i = 0; i < 4; ++i)
        if (!files[std::size_t(i)])
            return b;
    b.available = true;
    for (std::size_t i = 0; i < 3; ++i)
        b.pictures[i] = loadPicture(*files[i]);
    const QStringList links = textLines(*files[3]);
    for (std::size_t i = 0; i < 3; ++i)
        b.links[i] = links.value(qsizetype(i)).trimmed();
    if (files[4]) {
        const QStringList comments = textLines(*files[4]);
        for (std::size_t i = 0; i < 3; ++i)
            b.comments[i] = comments.value(qsizetype(i));
    }
    return b;
}

Banner fetch(IFtpClient& ftp, const BannerServer& server)
{
    if (!server.configured())
        return Banner::empty();

    struct Shared {
        std::atomic_bool abort {false};
        std::atomic_bool done {false};
        std::array<std::optional<QByteArray>, 5> files;
    };
    auto shared = std::make_shared<Shared>();
    std::thread worker([shared, &ftp, server] {
        for (std::size_t i = 0; i < 5 && !shared->abort; ++i) {
            QString remote = fileNames()[i];
            if (!server.folder.isEmpty())
                remote = server.folder + u'/' + remote;
            QByteArray bytes;
            if (!FtpGet(ftp, server.server, server.user, server.password, remote, &bytes, nullptr, &shared->abort)
                || shared->abort)
                break;
            shared->files[i] = std::move(bytes);
        }
        shared->done = true;
    });

    // The caller's window stays painted while the files come; the worker is
    // told to give up at the limit and is waited for (the client ends a
    // transfer within about a second of being told).
    const QDeadlineTimer deadline(std::chrono::seconds(std::max(1, server.limitSeconds)));
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (shared->done)
            loop.quit();
        else if (deadline.hasExpired())
            shared->abort = true;
    });
    poll.start(20);
    if (!shared->done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (shared->abort)
        return Banner::empty();
    return fromFiles(shared->files);
}

std::optional<QUrl> openableLink(const QString& link)
{
    const QUrl url(link.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return std::nullopt;
    return url;
}

} // namespace BannerFetch
