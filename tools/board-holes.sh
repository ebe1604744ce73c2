#!/usr/bin/env bash
# Runs by hand against the board protocol's hard cases on a shared folder
# (a folder on the SMB rig, see tools/smb-rig.sh):
#   tools/board-holes.sh older FOLDER [cycles]
#       an older build that rewrites the board line by line without a claim
#       (30 ms between lines) beside six writers and a reader of ours; no row
#       may ever be lost from the board (nor from its ".bak") and no update of ours
#   tools/board-holes.sh pause FOLDER [pauses] [backing-folder]
#       four writers; one of them is stopped with SIGSTOP for 10 s each time
#       its temporary file appears (found in backing-folder, the folder as the
#       file server sees it; default FOLDER), so the others take its claim over;
#       no update of the others may be lost
# Prints RESULT lines; exit 0 when nothing was lost.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
drv=$here/build/bin/porlune-boarddriver
[ -x "$drv" ] || bash "$here/tools/build.sh" >/dev/null
what=${1:?older or pause}
dir=${2:?a shared folder}
board=$dir/holes-$$.iki
rc=0
rows_of() { [ -f "$1" ] && grep -c $'\r$' "$1" || echo 0; }
case $what in
older)
    cycles=${3:-40}
    names=c1,c2,c3,c4,c5,c6
    all=o1,$names,p1,p2,p3,p4,p5,p6,p7,p8,p9
    "$drv" init --board "$board" --names "$all" >/dev/null || exit 1
    start=$(date +%s.%N)
    "$drv" read --board "$board" --names "$names" --rows 16 --stop-file "$board.stop" --pause-ms 5 &
    reader=$!
    "$drv" older --board "$board" --name o1 --cycles "$cycles" --line-ms 30 --pause-ms 20 &
    older=$!
    pids=()
    for n in ${names//,/ }; do
        "$drv" write --board "$board" --name "$n" --cycles $((cycles * 2)) &
        pids+=($!)
    done
    for p in "${pids[@]}"; do wait "$p" || rc=1; done
    wait "$older"
    touch "$board.stop"
    wait "$reader" || rc=1
    end=$(date +%s.%N)
    r=$(rows_of "$board"); b=$(rows_of "$board.bak")
    echo "RESULT board_rows=$r bak_rows=$b seconds=$(echo "$end - $start" | bc) our_cycles=$((6 * cycles * 2))"
    [ "$r" -eq 16 ] && [ "$b" -eq 16 ] || rc=1
    rm -f "$board.stop"
    ;;
pause)
    pauses=${3:-20}
    backing=${4:-$dir}
    names=c1,c2,c3,c4
    "$drv" init --board "$board" --names "$names" >/dev/null || exit 1
    pids=()
    for n in c2 c3 c4; do
        "$drv" write --board "$board" --name "$n" --cycles 100000 --stop-file "$board.stop" &
        pids+=($!)
    done
    nohup "$drv" write --board "$board" --name c1 --cycles 100000 --stop-file "$board.stop" &
    victim=$!
    done_pauses=0
    start=$(date +%s)
    shopt -s nullglob
    while [ "$done_pauses" -lt "$pauses" ] && [ $(( $(date +%s) - start )) -lt $((pauses * 30 + 60)) ]; do
        tmps=("$backing"/~plw${victim}_*.tmp)
        if [ ${#tmps[@]} -gt 0 ]; then
            kill -STOP "$victim"
            sleep 10
            kill -CONT "$victim"
            done_pauses=$((done_pauses + 1))
            sleep 1
        fi
    done
    touch "$board.stop"
    for p in "${pids[@]}" "$victim"; do wait "$p" || rc=1; done
    echo "RESULT pauses=$done_pauses seconds=$(( $(date +%s) - start ))"
    [ "$done_pauses" -ge "$pauses" ] || rc=1
    rm -f "$board.stop"
    ;;
*) echo "older or pause" >&2; exit 2 ;;
esac
rm -f "$board" "$board.bak"
exit $rc
