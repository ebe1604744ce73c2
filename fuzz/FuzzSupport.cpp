#include "FuzzSupport.h"

#include "startup/AppContext.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

namespace {

// Readers may look for QCoreApplication (codecs, file engines): made once.
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "porlune-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance()
        ? nullptr
        : new QCoreApplication(argc, argv);
    Q_UNUSED(app);
}

QTemporaryDir& folder()
{
    ensureApplication();
    // Under /dev/shm when it is there: every input is a file write.
    static QTemporaryDir dir(QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm/porlune-fuzz-XXXXXX")
                                                        : QDir::tempPath() + QStringLiteral("/porlune-fuzz-XXXXXX"));
    if (!dir.isValid())
        qFatal("fuzz: no private folder");
    return dir;
}

} // namespace

namespace Fuzz {

QString path(const QString& name)
{
    return folder().filePath(name);
}

QString writeFile(const QString& name, const QByteArray& bytes)
{
    const QString p = path(name);
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("fuzz: cannot write %s", qPrintable(p));
    return p;
}

void clearFolder()
{
    QDir dir(folder().path());
    for (const QFileInfo& fi : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        if (fi.isDir() && !fi.isSymLink())
            QDir(fi.filePath()).removeRecursively();
        else
            QFile::remove(fi.filePath());
    }
}

MsgResult QuietMessageBox::show(const MsgBoxRequest& request)
{
    ++shown;
    return defaultAnswer(request);
}

QDateTime FixedClock::now() const
{
    return QDateTime(QDate(2026, 4, 1), QTime(9, 30, 0));
}

Copy::Copy(const QString& programFolder)
{
    ensureApplication();
    m_ctx = std::make_unique<AppContext>(programFolder.isEmpty() ? folder().path() : programFolder,
                                         Services {m_box, m_dialogs, m_clock});
    SharedClaim::Options& waits = m_ctx->board().waits;
    waits.pause = [](int) {};
    waits.staleAfterMs = 50;
    waits.maxWaitMs = 200;
    waits.busyRetryMs = 50;
}

Copy::~Copy() = default;

} // namespace Fuzz
