#include "platform/StartTrace.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace StartTrace {

void mark(const char* label)
{
    static const bool on = std::getenv("PORLUNE_START_TRACE") != nullptr;
    if (!on)
        return;
    timespec now {}, cpu {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    std::fprintf(stderr, "start-trace %.3f %.3f %s\n", double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6,
                 double(cpu.tv_sec) * 1e3 + double(cpu.tv_nsec) / 1e6, label);
}

} // namespace StartTrace
