#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in the sanitized build (build-fuzz/, configured
# by tools/sanitize.sh) and runs each for a bounded time. Fails on any
# finding: a crash, a sanitizer report, a hang over the timeout or memory
# over the limit.
#
#   bash tools/fuzz.sh [seconds-per-target] [target...]
#
# Each target first runs its kept findings (fuzz/regressions/<target>/) and
# its seeds once, then fuzzes from its seeds plus what earlier runs found
# (build-fuzz/corpus/<target>/, kept between runs). PORLUNE_FUZZ_JOBS targets
# run side by side (default 1). Logs: build-fuzz/logs/<target>.log; a finding
# is left as build-fuzz/findings/<target>/crash-..., timeout-... or oom-...
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
seconds="${1:-60}"
shift || true
all=(settings board boardlist ftplist lists template message scramble
     msglog msglog_locked memo daytext banner)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
jobs="${PORLUNE_FUZZ_JOBS:-1}"

if [ "${PORLUNE_FUZZ_NO_BUILD:-0}" != 1 ]; then
    bash tools/install-deps.sh
    PORLUNE_SANITIZE_CONFIGURE_ONLY=1 bash tools/sanitize.sh
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
    cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}"
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tools/lsan.supp:print_suppressions=0}"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
mkdir -p build-fuzz/logs

# One target: its kept findings and seeds once, then the bounded run.
run_one() {
    local t="$1" exe="$root/build-fuzz/fuzz/fuzz_$1" work="$root/build-fuzz/corpus/$1"
    local log="$root/build-fuzz/logs/$1.log" found="$root/build-fuzz/findings/$1/"
    mkdir -p "$work" "$found"
    local inputs=("$root/fuzz/corpus/$t")
    [ -d "$root/fuzz/regressions/$t" ] && inputs+=("$root/fuzz/regressions/$t")
    if ! "$exe" -runs=0 "${inputs[@]}" >"$log" 2>&1; then
        echo "fuzz_$t: a kept input fails (see $log)"
        return 1
    fi
    if ! "$exe" "$work" "$root/fuzz/corpus/$t" -max_total_time="$seconds" -timeout=10 \
            -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 -artifact_prefix="$found" \
            >>"$log" 2>&1; then
        echo "fuzz_$t: FINDING (see $log and $found)"
        return 1
    fi
    local execs cov ft
    execs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')"
    cov="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
    ft="$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
    echo "fuzz_$t: ${seconds}s, ${execs:-?} executions, cov ${cov:-?}, ft ${ft:-?}"
}

status=0
pids=()
for t in "${targets[@]}"; do
    run_one "$t" &
    pids+=($!)
    if [ ${#pids[@]} -ge "$jobs" ]; then
        wait "${pids[0]}" || status=1
        pids=("${pids[@]:1}")
    fi
done
for p in "${pids[@]}"; do
    wait "$p" || status=1
done
exit $status
