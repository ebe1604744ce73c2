#!/usr/bin/env bash
# Runs one test program on a private virtual X display with a window manager
# (openbox) and a notification-area host (trayer), then stops all three.
#
#   tools/xvfb-run-test.sh <program> [arguments...]
#
# The display number is the first free one (Xvfb picks it). Everything the
# script starts is stopped by its pid when the program ends, fails or the
# script is interrupted; every wait is bounded. The program runs with
# QT_QPA_PLATFORM=xcb and without a session bus, so Qt embeds its tray icon
# the X way (XEmbed) into trayer. PORLUNE_XVFB_LIMIT (seconds, default 240)
# bounds the program's run.
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: $0 <program> [arguments...]" >&2; exit 2; }
for tool in Xvfb openbox trayer xdotool xwininfo xprop; do
    command -v "$tool" >/dev/null || { echo "xvfb-run-test: $tool missing: run tools/install-deps.sh" >&2; exit 1; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/porlune-xvfb.XXXXXX")"
pids=()

stop_all() {
    local i pid
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        pid=${pids[$i]}
        kill "$pid" 2>/dev/null || continue
        for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap stop_all EXIT
trap 'exit 130' INT TERM

wait_for() { # seconds, what, command...
    local limit=$1 what=$2; shift 2
    local end=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        if [ $SECONDS -ge $end ]; then
            echo "xvfb-run-test: $what did not come up within ${limit}s" >&2
            for f in "$work"/*.log; do [ -s "$f" ] && { echo "--- $f" >&2; tail -5 "$f" >&2; }; done
            return 1
        fi
        sleep 0.1
    done
}

# Xvfb writes the display number it took to the descriptor once it accepts
# connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 20 "Xvfb" test -s "$work/display"
export DISPLAY=":$(head -1 "$work/display")"
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS XDG_CURRENT_DESKTOP
export XDG_CONFIG_HOME="$work/config" HOME="$work/home"
mkdir -p "$XDG_CONFIG_HOME" "$HOME"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# Probes read the whole output before matching: with pipefail, "grep -q"
# quitting early would fail the probe through the writer's SIGPIPE.
wm_running() { [[ "$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null)" == *"window id"* ]]; }
wait_for 20 "openbox" wm_running

trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    --transparent false --tint 0xd0d0d0 --expand true >"$work/trayer.log" 2>&1 &
pids+=($!)
tray_running() { local tree; tree="$(xwininfo -root -tree 2>/dev/null)"; grep -qi '"panel"\|"trayer"' <<<"$tree"; }
wait_for 20 "trayer" tray_running

echo "xvfb-run-test: display $DISPLAY with openbox and trayer" >&2
set +e
QT_QPA_PLATFORM=xcb timeout --kill-after=10 "${PORLUNE_XVFB_LIMIT:-240}" "$@"
rc=$?
set -e
[ $rc -eq 124 ] && echo "xvfb-run-test: $1 ran out of time" >&2
exit $rc
