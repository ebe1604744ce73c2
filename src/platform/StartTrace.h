#pragma once

// Marks along the start of the program, for finding where its time goes:
// with PORLUNE_START_TRACE set, each mark prints a line to stderr as
// "start-trace <ms> <cpu-ms> <label>": <ms> on the monotonic clock (the clock
// bench_start_watch starts its count on), <cpu-ms> the processor time of the
// process so far. Without it a mark costs one test of a flag. Header only, so
// the bare window program of the start benchmark marks the same way without
// linking anything of ours.
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace StartTrace {

inline void mark(const char* label)
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
