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
bin=build/bin
for t in "$bin/Porlune" "$bin/bench_bare_window" "$bin/bench_start_watch" build/tools/porlune-demo; do
    [ -x "$t" ] || { echo "missing $t: run tools/build.sh" >&2; exit 1; }
done
work=$(mktemp -d)
xpid=
cleanup() { [ -n "$xpid" ] && kill "$xpid" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$work/display") QT_QPA_PLATFORM=xcb
folder=$work/office
build/tools/porlune-demo "$folder" >/dev/null
install -m 755 "$bin/Porlune" "$folder/Porlune"
install -m 644 data/Porlune.HLP data/nani*.dat "$folder/"
# One start of each first, so both meet warm file caches.
"$bin/bench_start_watch" "Porlune Ver" 30000 "$folder/Porlune" >/dev/null
"$bin/bench_start_watch" "Bare window" 30000 "$bin/bench_bare_window" >/dev/null
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
