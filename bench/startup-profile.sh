#!/usr/bin/env bash
# Where the start's time goes: Porlune and the bare window program started as
# bench/startup-bench.sh starts them, with PORLUNE_START_TRACE marks; for each
# mark the median time since the process was started and since the mark before.
#   bash bench/startup-profile.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}
. bench/startup-common.sh
export PORLUNE_START_TRACE=1
for ((i = 0; i < runs; i++)); do
    "$bin/bench_start_watch" "Porlune Ver" 30000 "$folder/Porlune" 2>>"$work/porlune.trace" >/dev/null
    echo "end" >>"$work/porlune.trace"
    "$bin/bench_start_watch" "Bare window" 30000 "$bin/bench_bare_window" 2>>"$work/bare.trace" >/dev/null
    echo "end" >>"$work/bare.trace"
done
report() {
    awk -v name="$1" '
        function median(list,   a, m, i, j, x) {
            m = split(list, a, " ")
            for (i = 2; i <= m; ++i) { x = a[i]; for (j = i - 1; j >= 1 && a[j] + 0 > x + 0; --j) a[j + 1] = a[j]; a[j + 1] = x }
            return a[int((m + 1) / 2)]
        }
        $1 == "end" { delete inRun; next }
        $1 == "start-trace" {
            label = $4; for (k = 5; k <= NF; ++k) label = label " " $k
            if (label in inRun) next
            inRun[label] = 1
            if (label == "exec") { t0 = $2; prev = $2; cprev = 0 }
            if (!(label in seen)) { seen[label] = 1; order[++n] = label }
            since[label] = since[label] " " ($2 - t0); step[label] = step[label] " " ($2 - prev); prev = $2
            if ($3 != "-") { cpu[label] = cpu[label] " " ($3 - cprev); cprev = $3 }
        }
        END {
            printf "%s (median ms)\n%-24s %10s %9s %9s\n", name, "mark", "since exec", "step", "cpu step"
            for (i = 1; i <= n; ++i)
                printf "%-24s %10.1f %9.1f %9s\n", order[i], median(since[order[i]]), median(step[order[i]]),
                       order[i] in cpu ? sprintf("%.1f", median(cpu[order[i]])) : "-"
        }' "$work/$1.trace"
}
report porlune
echo
report bare
