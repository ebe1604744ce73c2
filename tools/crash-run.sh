#!/usr/bin/env bash
# Crash run of one writer of a shared file, by hand: the writer is killed with
# SIGKILL at a random moment each round, then started again (checked first as a
# restarted copy would read its file).
#   bash tools/crash-run.sh WRITER [rounds] [folder]
# WRITER: board boardlist ftplist memo settings logappend logpurge drop
#         (porlune-crashdrv), fetch (tools/mail-holes.sh), sched
#         (tools/sched-crash.sh), logrewrite (tools/log-stress.sh crash).
# folder: where the file lives, e.g. a folder on the SMB rig's mount
# ($PORLUNE_SHARE_DIR); default a local temporary folder.
#   bash tools/crash-run.sh smoke   three rounds of each crash driver writer
# PORLUNE_CRASHDRV names the driver (default build/bin/porlune-crashdrv; CTest
# passes the one of the build it runs in, e.g. the sanitized one).
# Prints one "RESULT writer=… rounds=… killed=… killed_mid_write=… failed=…"
# line; exit 0 when every round passed.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
writer=${1:?writer}
rounds=${2:-50}
parent=${3:-}
drv=${PORLUNE_CRASHDRV:-$here/build/bin/porlune-crashdrv}
[ -n "${PORLUNE_CRASHDRV:-}" ] || [ -x "$drv" ] || bash "$here/tools/build.sh" >/dev/null
work=$(mktemp -d)
if [ -n "$parent" ]; then dir=$(mktemp -d "$parent/crash-$writer.XXXXXX"); else dir=$work/files; fi
trap 'rm -rf "$work" "$dir"' EXIT

case $writer in
smoke) # three rounds of every writer of the driver, on a local folder
    rc=0
    for w in board boardlist ftplist memo settings logappend logpurge drop; do
        out=$(bash "$0" "$w" 3) || { rc=1; echo "$out"; }
        echo "$out" | tail -1
    done
    exit $rc ;;
fetch)
    out=$(bash "$here/tools/mail-holes.sh" "$dir" "$rounds" 100); rc=$?
    echo "$out"
    echo "RESULT writer=fetch rounds=$rounds killed=$rounds failed=$rc $(echo "$out" | tail -1)"
    exit $rc ;;
sched)
    out=$(bash "$here/tools/sched-crash.sh" "$rounds" 10 "$dir"); rc=$?
    echo "$out"
    echo "RESULT writer=sched $(echo "$out" | tail -1)"
    exit $rc ;;
logrewrite)
    out=$(bash "$here/tools/log-stress.sh" crash "$dir" "$rounds"); rc=$?
    echo "$out"
    echo "RESULT writer=logrewrite rounds=$rounds failed=$rc"
    exit $rc ;;
esac

acks=$work/acks
count=100000 # writes per start: more than a round lets through
"$drv" setup "$writer" "$dir" >/dev/null || { echo "setup failed"; exit 1; }
killed=0; mid=0; failed=0; landed=0; first_max=0; claims=0; temps=0
for ((r = 1; r <= rounds; r++)); do
    touch "$acks"; before=$(wc -l <"$acks")
    "$drv" run "$writer" "$dir" "$acks" "$count" >"$work/out" 2>&1 &
    pid=$!
    # Once the first write of this start is done (it may wait out a claim
    # the last kill left; on a loaded share the start alone can take longer
    # than a write), the kill lands anywhere in the next CRASH_WINDOW_MS
    # (default 400) milliseconds: in the middle of the writes that follow.
    for ((w = 0; w < 1500; w++)); do
        [ "$(wc -l <"$acks")" -gt $((before + 1)) ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.02
    done
    sleep "$(printf '0.%03d' $((RANDOM % ${CRASH_WINDOW_MS:-400})))"
    kill -9 "$pid" 2>/dev/null && killed=$((killed + 1))
    wait "$pid" 2>/dev/null
    [ "$(tail -1 "$acks" 2>/dev/null | cut -c1)" = "+" ] && mid=$((mid + 1))
    f=$(sed -n 's/^first_ms=//p' "$work/out")
    [ -n "$f" ] && [ "$f" -gt "$first_max" ] && first_max=$f
    if ! out=$("$drv" check "$writer" "$dir" "$acks"); then
        echo "round $r: $out"; failed=$((failed + 1))
    fi
    case $out in *" landed=1 "*) landed=$((landed + 1)) ;; esac
    # Rounds after which a claim was there, and the most temporary files seen
    # at once (they go when ten minutes old by the share's clock).
    c=$(echo "$out" | sed -n 's/.*left_claims=\([0-9]*\).*/\1/p'); [ "${c:-0}" -gt 0 ] && claims=$((claims + 1))
    t=$(echo "$out" | sed -n 's/.*left_temporaries=\([0-9]*\).*/\1/p'); [ "${t:-0}" -gt "$temps" ] && temps=$t
done
# A last start after the last kill: its first write must not wait on a claim.
"$drv" run "$writer" "$dir" "$acks" 1 >"$work/out" 2>&1 || { echo "last start failed: $(cat "$work/out")"; failed=$((failed + 1)); }
f=$(sed -n 's/^first_ms=//p' "$work/out"); [ -n "$f" ] && [ "$f" -gt "$first_max" ] && first_max=$f
"$drv" check "$writer" "$dir" "$acks" >/dev/null || failed=$((failed + 1))
echo "RESULT writer=$writer rounds=$rounds killed=$killed killed_mid_write=$mid in_flight_landed=$landed" \
     "failed=$failed writes_acknowledged=$(grep -c '^[0-9]' "$acks") slowest_first_write_ms=$first_max" \
     "rounds_with_a_claim_left=$claims most_temporaries_left=$temps"
[ "$failed" -eq 0 ]
