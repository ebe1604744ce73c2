#pragma once

// Marks along the start of the program, for finding where its time goes:
// with PORLUNE_START_TRACE set, each mark prints a line to
// stderr as "start-trace <ms> <cpu-ms> <label>": <ms> on the monotonic clock
// (the clock bench_start_watch starts its count on), <cpu-ms> the processor
// time of the process so far. Without it a mark costs one test of a flag.
namespace StartTrace {

void mark(const char* label);

} // namespace StartTrace
