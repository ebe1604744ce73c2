#pragma once

#include "platform/MessageBox.h"

#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <ctime>
#include <limits>

// The time of this thread: with PORLUNE_BENCH_CLOCK=cpu its processor time
// (user and system), which other programs on a busy machine do not lengthen;
// otherwise the wall clock. Processor time leaves out waits for the disk, so
// the steps that flush files are measured by the wall clock in either case.
class BenchTimer
{
public:
    static bool cpu()
    {
        static const bool on = qgetenv("PORLUNE_BENCH_CLOCK") == "cpu";
        return on;
    }
    BenchTimer() { restart(); }
    void restart() { m_start = now(); }
    double ms() const { return (now() - m_start) / 1e6; }

private:
    static qint64 now()
    {
        if (cpu()) {
            timespec ts {};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
            return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
        }
        return s_wall.nsecsElapsed();
    }
    static inline QElapsedTimer s_wall = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    qint64 m_start = 0;
};

// The best of runs of f, in milliseconds.
template<typename F>
double bestMs(int runs, F&& f)
{
    double best = std::numeric_limits<double>::max();
    for (int r = 0; r < runs; ++r) {
        BenchTimer t;
        f();
        best = std::min(best, t.ms());
    }
    return best;
}

// The same by the wall clock always, for steps that wait for the disk.
template<typename F>
double bestWallMs(int runs, F&& f)
{
    double best = std::numeric_limits<double>::max();
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

inline const char* clockName()
{
    return BenchTimer::cpu() ? "processor time of the thread" : "wall clock";
}

// Counts message boxes instead of showing them; any box means the run went wrong.
class CountingBox final : public IMessageBox
{
public:
    MsgResult show(const MsgBoxRequest& request) override
    {
        texts.append(request.text);
        return defaultAnswer(request);
    }
    QStringList texts;
};
