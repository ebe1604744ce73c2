#!/usr/bin/env bash
# Mail-place stress run by hand: SENDERS sender processes each send COUNT
# messages to one recipient while the recipient's process fetches in a loop;
# then every arrived message is checked (exactly once, whole, readable).
#   bash tools/mail-stress.sh [mail-place-parent-folder] [senders] [count] [parent-via-second-mount]
# The mail place is a fresh folder inside the given one (default: a temporary
# folder); program folders are always local and temporary. With a fourth
# argument (the same parent folder through a second client of the share, as
# PORLUNE_SHARE_DIR2 of tools/smb-rig.sh), every second sender goes through it.
set -euo pipefail
cd "$(dirname "$0")/.."
drv=build/bin/porlune-maildrv
[ -x "$drv" ] || bash tools/build.sh
parent="${1:-}"
senders="${2:-4}"
count="${3:-100}"
parent2="${4:-}"
work="$(mktemp -d)"
trap 'rm -rf "$work"; [ -n "${place:-}" ] && rm -rf "$place"' EXIT
if [ -n "$parent" ]; then
    place="$(mktemp -d "$parent/mailstress.XXXXXX")"
else
    place="$work/place"
    mkdir -p "$place"
fi
names=()
for i in $(seq 1 "$senders"); do names+=("S$i"); done
start=$(date +%s.%N)
"$drv" fetch --place "$place" --folder "$work/recipient" --name Recipient \
    --expect $((senders * count)) --idle 120 &
fetcher=$!
place2="$place"
if [ -n "$parent2" ]; then
    place2="$parent2/$(basename "$place")"
    for _ in $(seq 100); do [ -d "$place2" ] && break; sleep 0.1; done
    [ -d "$place2" ] || { echo "the second mount does not show $place2" >&2; exit 1; }
fi
pids=()
i=0
for n in "${names[@]}"; do
    mkdir -p "$work/$n"
    p="$place"
    [ $((i % 2)) -eq 1 ] && p="$place2"
    i=$((i + 1))
    "$drv" send --place "$p" --folder "$work/$n" --from "$n" --to Recipient --count "$count" &
    pids+=($!)
done
status=0
for p in "${pids[@]}"; do wait "$p" || status=1; done
wait "$fetcher" || status=1
end=$(date +%s.%N)
"$drv" check --folder "$work/recipient" --name Recipient --count "$count" \
    --senders "$(IFS=,; echo "${names[*]}")" || status=1
awk -v s="$start" -v e="$end" -v n=$((senders * count)) -v p="$place" \
    'BEGIN { printf "mail_place=%s total_seconds=%.2f messages_per_second=%.1f\n", p, e - s, n / (e - s) }'
left=$(ls -A "$place" | wc -l)
echo "files_left_in_mail_place=$left"
[ "$left" -eq 0 ] || status=1
exit $status
