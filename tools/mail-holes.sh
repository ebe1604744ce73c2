#!/usr/bin/env bash
# The recipient killed during fetches, by hand: two senders each send COUNT
# messages to one recipient while the recipient's process is killed with
# SIGKILL at random moments KILLS times and started again; then every message
# must be in the inbox exactly once (no loss, no double).
#   bash tools/mail-holes.sh MAIL-PLACE-PARENT [kills] [count]
set -u
cd "$(dirname "$0")/.."
drv=build/bin/porlune-maildrv
[ -x "$drv" ] || bash tools/build.sh >/dev/null
parent=${1:?a folder for the mail place}
kills=${2:-40}
count=${3:-100}
work=$(mktemp -d)
place=$(mktemp -d "$parent/mailholes.XXXXXX")
trap 'rm -rf "$work" "$place"' EXIT
pids=()
for n in S1 S2; do
    mkdir -p "$work/$n"
    "$drv" send --place "$place" --folder "$work/$n" --from "$n" --to Recipient --count "$count" >/dev/null &
    pids+=($!)
done
done_kills=0
while [ "$done_kills" -lt "$kills" ]; do
    "$drv" fetch --place "$place" --folder "$work/recipient" --name Recipient --expect 999999 --idle 600 >/dev/null 2>&1 &
    f=$!
    sleep "0.$((RANDOM % 300 + 50))"
    kill -9 "$f" 2>/dev/null && done_kills=$((done_kills + 1))
    wait "$f" 2>/dev/null
done
for p in "${pids[@]}"; do wait "$p"; done
"$drv" fetch --place "$place" --folder "$work/recipient" --name Recipient --expect 999999 --idle 3 >/dev/null 2>&1
echo "RESULT kills=$done_kills left_in_mail_place=$(ls -A "$place" | wc -l)"
"$drv" check --folder "$work/recipient" --name Recipient --count "$count" --senders S1,S2
