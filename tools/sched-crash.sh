#!/bin/bash
# Kills the scheduled-message dispatcher with SIGKILL at a random moment, runs it
# again to completion, and checks that each of the waiting messages reached the
# mail place exactly once. Usage: tools/sched-crash.sh [rounds] [messages] [mail place parent]
set -u
rounds=${1:-50}; count=${2:-10}; parent=${3:-}
bin=$(dirname "$0")/../build/bin/porlune-schedcrash
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
killed=0; failed=0; midrun=0
for ((r = 1; r <= rounds; r++)); do
    tim=$work/TIM; rcv=$work/RCV
    place=${parent:+$parent/schedcrash.$$}; place=${place:-$work/place}
    rm -rf "$tim" "$rcv" "$place"; mkdir -p "$tim" "$rcv" "$place"
    "$bin" setup "$tim" "$rcv" "$place" "$count" || { echo "setup failed"; exit 1; }
    "$bin" run "$tim" "$rcv" "$place" "$count" & pid=$!
    # Start-up takes most of a run under load: the kill lands anywhere in 0-250 ms.
    sleep "0.$(printf %03d $((RANDOM % 250)))"
    kill -9 "$pid" 2>/dev/null && killed=$((killed + 1))
    wait "$pid" 2>/dev/null
    # Killed mid-run: some but not all delivered, or a journal left behind.
    sent=$(ls "$place" | grep -c '^R')
    if ls "$tim" | grep -q '^~' || { [ "$sent" -gt 0 ] && [ "$sent" -lt "$count" ]; }; then
        midrun=$((midrun + 1))
    fi
    "$bin" run "$tim" "$rcv" "$place" "$count" || echo "round $r: second run failed"
    if ! "$bin" check "$tim" "$rcv" "$place" "$count"; then
        echo "round $r: FAILED"; failed=$((failed + 1))
    fi
    [ -n "$parent" ] && rm -rf "$place"
done
echo "rounds=$rounds messages=$count killed=$killed killed-mid-run=$midrun failed=$failed"
[ "$failed" -eq 0 ]
