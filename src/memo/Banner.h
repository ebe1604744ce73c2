#pragma once

#include "memo/BannerServer.h"

#include <QImage>
#include <QString>
#include <QUrl>

#include <array>
#include <optional>

class IFtpClient;

// The banner of the date memo window: three pictures, a link and a comment
// for each, fetched as five files ("100.gif", "200.gif", "300.gif", "url.txt",
// "kou.txt") into memory.
struct Banner {
    bool available = false; // the pictures and links arrived
    std::array<QImage, 3> pictures;
    std::array<QString, 3> links;
    std::array<QString, 3> comments;

    static QString defaultComment();
    static Banner empty(); // default comments, nothing else
};

namespace BannerFetch {

inline constexpr qint64 MaxPictureBytes = 512 * 1024;
inline constexpr int MaxPictureSide = 2000;
const std::array<QString, 5>& fileNames();

// Fetches the five files one after the other on a worker thread while the
// caller's events run; the first failure ends the fetching, and at the
// server's time limit the transfer under way is abandoned. Without a server
// configured nothing is fetched.
Banner fetch(IFtpClient& ftp, const BannerServer& server);

// Builds the banner from the files' bytes (missing = not fetched). Pictures
// over the size limits, or that do not load, stay empty.
Banner fromFiles(const std::array<std::optional<QByteArray>, 5>& files);

// The address a link names when it may be opened: http or https with a host.
std::optional<QUrl> openableLink(const QString& link);

} // namespace BannerFetch
