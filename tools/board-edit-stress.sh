#!/bin/bash
# The board file editor saving while eight copies run their update cycles on the
# same board: tools/board-edit-stress.sh [share-folder] [cycles] [saves]
# Every writer checks that none of its updates was lost; exit 0 when all agree.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
drv=$here/build/bin/porlune-boarddriver
dir=${1:-${PORLUNE_SHARE_DIR:-$(mktemp -d)}}
cycles=${2:-40}
saves=${3:-20}
board=$dir/edit-stress-$$.iki
names=c1,c2,c3,c4,c5,c6,c7,c8
"$drv" init --board "$board" --names "$names" --separator || exit 1
start=$(date +%s.%N)
pids=()
for n in ${names//,/ }; do
    "$drv" write --board "$board" --name "$n" --cycles "$cycles" &
    pids+=($!)
done
"$drv" edit --board "$board" --cycles "$saves" --pause-ms 20 &
pids+=($!)
rc=0
for p in "${pids[@]}"; do wait "$p" || rc=1; done
echo "RESULT elapsed_s=$(echo "$(date +%s.%N) - $start" | bc)"
# The last value each writer wrote must be on the board.
"$drv" read --board "$board" --names "$names" --rows 9 --stop-file "$board" >/dev/null || rc=1
grep -c '"'"$cycles"'","1"' "$board" | sed 's/^/RESULT rows_with_last_counter=/'
rm -f "$board" "$board.bak"
exit $rc
