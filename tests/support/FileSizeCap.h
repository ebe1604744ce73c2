#pragma once

#include <csignal>
#include <sys/resource.h>

// While it lives, no file of this process can grow past the given size: a
// full disk or an exhausted quota, as writers see it (EFBIG instead of a
// signal). The previous limit comes back when it ends.
class FileSizeCap
{
public:
    explicit FileSizeCap(rlim_t bytes) : m_oldHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit tight = m_saved;
        tight.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &tight) == 0;
    }
    ~FileSizeCap()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeCap(const FileSizeCap&) = delete;
    FileSizeCap& operator=(const FileSizeCap&) = delete;

    bool active() const { return m_active; }

private:
    rlimit m_saved {};
    void (*m_oldHandler)(int);
    bool m_active = false;
};
