#!/usr/bin/env bash
# Start of the program until its main window is shown, against a bare Qt window
# program started the same way: both as processes on a private Xvfb (no window
# manager), timed from the start of the process to the map of the window by
# build/bin/bench_start_watch; runs alternate, medians and their ratio printed.
#   bash bench/startup-bench.sh [runs]
# Porlune starts from a demo office made for the run (build/tools/porlune-demo).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}
. bench/startup-common.sh
porlune=(); bare=()
for ((i = 0; i < runs; i++)); do
    porlune+=("$("$bin/bench_start_watch" "Porlune Ver" 30000 "$folder/Porlune")")
    bare+=("$("$bin/bench_start_watch" "Bare window" 30000 "$bin/bench_bare_window")")
done
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
p=$(median "${porlune[@]}"); b=$(median "${bare[@]}")
echo "start to main window: runs=$runs median_porlune_ms=$p median_bare_ms=$b ratio=$(echo "scale=2; $p / $b" | bc) (goal <= 1.5)"
echo "porlune_ms: ${porlune[*]}"
echo "bare_ms: ${bare[*]}"
