# Sourced by the start-up benchmarks: a private Xvfb without a window manager
# (DISPLAY exported), a demo office in $folder with the program installed in
# it, and $work, removed at exit.
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
