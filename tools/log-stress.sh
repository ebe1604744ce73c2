#!/bin/bash
# Message-log stress and crash runs with build/bin/porlune-logdrv.
#   tools/log-stress.sh concurrency DIR   4 appenders x 250 records while 100 rewrites run
#   tools/log-stress.sh crash DIR [ROUNDS] rewrites killed with -9 at random moments
# DIR: a folder for the log, e.g. on the SMB rig's mount. Exit 0 when every check passed.
set -u
mode=$1
dir=$2
drv="$(cd "$(dirname "$0")/.." && pwd)/build/bin/porlune-logdrv"
log="$dir/msglog.txt"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$dir"
rm -rf "$log" "$log.bak" "$log.lck"
: > "$log"

case $mode in
concurrency)
    start=$(date +%s.%N)
    pids=()
    for t in A B C D; do
        "$drv" append "$log" "$work/$t" "$t" 250 & pids+=($!)
    done
    "$drv" rewrite "$log" 100 & pids+=($!)
    fail=0
    for p in "${pids[@]}"; do wait "$p" || fail=1; done
    echo "elapsed_s=$(echo "$(date +%s.%N) - $start" | bc)"
    "$drv" check "$log" A,B,C,D 250 || fail=1
    exit $fail
    ;;
crash)
    rounds=${3:-50}
    "$drv" append "$log" "$work/A" A 40 >/dev/null || exit 1
    fail=0
    for ((r = 1; r <= rounds; r++)); do
        "$drv" rewrite "$log" 1000 >/dev/null &
        pid=$!
        sleep "0.$((RANDOM % 400 + 20))"
        kill -9 "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        if ! out=$("$drv" check "$log" A 40); then
            echo "round $r: $out"
            fail=1
        fi
    done
    echo "crash rounds=$rounds failed=$fail"
    exit $fail
    ;;
esac
