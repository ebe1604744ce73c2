// The date memo window's banner: three pictures, the links and the comments,
// as an FTP server of somebody else's hands them over. The input holds the
// five files one after the other, each ended by the line "@@"; a file the
// input stops before is one that was not fetched.
#include "FuzzSupport.h"

#include "memo/Banner.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = Fuzz::bytes(data, size);
    const QByteArray end = QByteArrayLiteral("\n@@\n");
    std::array<std::optional<QByteArray>, 5> files;
    qsizetype from = 0;
    for (std::optional<QByteArray>& file : files) {
        const qsizetype at = bytes.indexOf(end, from);
        if (at < 0)
            break;
        file = bytes.mid(from, at - from);
        from = at + end.size();
    }
    const Banner b = BannerFetch::fromFiles(files);
    for (std::size_t i = 0; i < 3; ++i) {
        const QImage& picture = b.pictures[i];
        if (picture.width() > BannerFetch::MaxPictureSide || picture.height() > BannerFetch::MaxPictureSide)
            __builtin_trap();
        (void)BannerFetch::openableLink(b.links[i]);
    }
    return 0;
}
