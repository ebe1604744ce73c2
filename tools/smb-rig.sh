#!/usr/bin/env bash
# A real SMB share on loopback for tests of shared-folder behaviour.
#
#   tools/smb-rig.sh start   starts smbd (private configuration and state, bound to
#                            a loopback address of its own) and mounts its share
#                            twice through smbnetfs (FUSE), each mount with a
#                            private HOME and its own connection: two SMB clients
#                            of one share, as two machines of the office; prints
#                            shell lines to eval:
#                              export PORLUNE_SHARE_DIR=<folder inside mount 1>
#                              export PORLUNE_SHARE_DIR2=<same folder, via mount 2>
#                              export PORLUNE_RIG_DIR=<state folder>
#   tools/smb-rig.sh stop    unmounts and stops what start started (only those
#                            processes, by the pid files the rig keeps)
#   tools/smb-rig.sh status  prints whether the rig runs
#   tools/smb-rig.sh server-stop | server-start
#                            stops smbd alone (the mounts stay: a share outage)
#                            and starts it again on the same share
#
# State lives in PORLUNE_RIG_DIR (default: a folder under ${TMPDIR:-/tmp} named
# after this checkout), so start and stop find each other and two checkouts can
# run rigs side by side. Needs samba, smbnetfs and fuse3 (tools/install-deps.sh)
# and a usable /dev/fuse.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
tag="$(printf '%s' "$repo" | md5sum | cut -c1-10)"
rig="${PORLUNE_RIG_DIR:-${TMPDIR:-/tmp}/porlune-smb-rig.$(id -u).$tag}"
share_name="porlune"
smb_user="$(id -un)"
smb_pass="rig-$(printf '%s' "$rig" | md5sum | cut -c1-12)"

log() { printf 'smb-rig: %s\n' "$*" >&2; }
die() { log "$*"; exit 1; }

port_busy() { # address
    # A TCP connect that succeeds means something already listens there.
    timeout 2 bash -c "exec 3<>/dev/tcp/$1/445" 2>/dev/null
}

port_free() { # address
    ! port_busy "$1"
}

wait_for() { # seconds, command...
    local limit=$1; shift
    local end=$((SECONDS + limit))
    while ! "$@" 2>/dev/null; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.2
    done
}

kill_pidfile() { # file
    local f=$1 pid
    [ -s "$f" ] || return 0
    pid="$(cat "$f")"
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -0 "$pid" 2>/dev/null && kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$f"
}

is_mounted() { # mount point
    grep -qs " $1 fuse" /proc/mounts
}

do_stop() {
    [ -d "$rig" ] || return 0
    if [ "${PORLUNE_RIG_KEEP:-0}" = 1 ] && [ "${1:-}" = failed ]; then
        log "state kept for inspection in $rig (PORLUNE_RIG_KEEP=1)"
        return 0
    fi
    local m
    for m in mnt mnt2; do
        if is_mounted "$rig/$m"; then
            fusermount3 -u "$rig/$m" 2>/dev/null || fusermount -u "$rig/$m" 2>/dev/null \
                || umount -l "$rig/$m" 2>/dev/null || log "could not unmount $rig/$m"
        fi
    done
    kill_pidfile "$rig/smbnetfs.pid"
    kill_pidfile "$rig/smbnetfs2.pid"
    # smbd writes its own pid file (smbd.pid in the pid directory); it stops its
    # children when the parent ends.
    kill_pidfile "$rig/run/smbd.pid"
    for m in mnt mnt2; do
        if is_mounted "$rig/$m"; then
            log "mount still present at $rig/$m; state folder kept"
            return 1
        fi
    done
    if [ -s "$rig/added-address" ]; then
        ip addr del "$(cat "$rig/added-address")" dev lo 2>/dev/null || true
    fi
    rm -rf "$rig"
}

mount_one() { # mount point, HOME, pid file name
    local mnt=$1 home=$2 pidname=$3
    (
        cd "$rig"
        export HOME="$home"
        # Foreground in a background job: we keep its pid for stop.
        setsid smbnetfs "$mnt" -f -o "config=$home/.smb/smbnetfs.conf" \
            >"$rig/log/$pidname.out" 2>&1 </dev/null &
        echo $! >"$rig/$pidname.pid"
    )
    wait_for 20 is_mounted "$mnt" \
        || { local why; why="$(tail -5 "$rig/log/$pidname.out" 2>/dev/null)"; do_stop failed || true; die "smbnetfs did not mount $mnt: $why"; }
}

do_start() {
    for tool in smbd smbpasswd smbnetfs; do
        command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] || die "$tool missing: run tools/install-deps.sh"
    done
    [ -e /dev/fuse ] || die "/dev/fuse does not exist: FUSE mounts are impossible here"
    [ -r /dev/fuse ] && [ -w /dev/fuse ] || die "/dev/fuse is not readable and writable for $(id -un)"
    command -v fusermount3 >/dev/null || command -v fusermount >/dev/null || die "fusermount missing (fuse3)"

    do_stop || die "an earlier rig at $rig could not be stopped"
    mkdir -p "$rig"/{etc,private,lock,state,cache,run,log,ncalrpc,home/.smb,home2/.smb,mnt,mnt2,share}
    chmod 0777 "$rig/share"

    # smbnetfs only reaches the standard port 445. When 127.0.0.1:445 is taken
    # (a rig of another checkout), give this rig a loopback address of its own;
    # smbd only binds to addresses that an interface carries.
    local addr=""
    if ! port_busy 127.0.0.1; then
        addr=127.0.0.1
    else
        for n in $(seq 2 60); do
            port_busy "127.0.0.$n" && continue
            if [[ "$(ip -4 addr show dev lo)" == *" 127.0.0.$n/"* ]]; then
                addr="127.0.0.$n"; break
            fi
            if ip addr add "127.0.0.$n/32" dev lo 2>/dev/null; then
                echo "127.0.0.$n/32" >"$rig/added-address"
                addr="127.0.0.$n"; break
            fi
        done
    fi
    [ -n "$addr" ] || die "port 445 on 127.0.0.1 is taken and no other loopback address can be used"

    cat >"$rig/etc/smb.conf" <<EOF
[global]
    server role = standalone server
    workgroup = PORLUNERIG
    netbios name = PORLUNERIG
    interfaces = $addr/32
    bind interfaces only = yes
    smb ports = 445
    disable netbios = yes
    server min protocol = SMB2_10
    private dir = $rig/private
    lock directory = $rig/lock
    state directory = $rig/state
    cache directory = $rig/cache
    pid directory = $rig/run
    ncalrpc dir = $rig/ncalrpc
    log file = $rig/log/smbd.log
    max log size = 1000
    log level = 0
    passdb backend = tdbsam:$rig/private/passdb.tdb
    load printers = no
    printing = bsd
    printcap name = /dev/null
    disable spoolss = yes
    unix extensions = no
    map archive = no
    store dos attributes = no
    # Windows file-sharing semantics, as on the office file server.
    kernel oplocks = no
    strict locking = auto

[$share_name]
    path = $rig/share
    read only = no
    valid users = $smb_user
    create mask = 0666
    directory mask = 0777
EOF

    printf '%s\n%s\n' "$smb_pass" "$smb_pass" \
        | smbpasswd -c "$rig/etc/smb.conf" -L -s -a "$smb_user" >"$rig/log/smbpasswd.log" 2>&1 \
        || die "smbpasswd failed: $(cat "$rig/log/smbpasswd.log")"

    /usr/sbin/smbd -D -s "$rig/etc/smb.conf" >"$rig/log/smbd.out" 2>&1 \
        || die "smbd did not start: $(cat "$rig/log/smbd.out" "$rig/log/smbd.log" 2>/dev/null | tail -5)"
    wait_for 20 port_busy "$addr" \
        || die "smbd does not listen on $addr:445: $(tail -5 "$rig/log/smbd.log" 2>/dev/null)"

    # The client side: libsmbclient reads HOME/.smb/smb.conf, smbnetfs its own
    # file. Each mount gets a HOME of its own, so the two smbnetfs processes
    # share no state and hold separate connections to the server.
    local home
    for home in home home2; do
        cat >"$rig/$home/.smb/smb.conf" <<EOF
[global]
    workgroup = PORLUNERIG
    client min protocol = SMB2_10
    name resolve order = host
    log level = 0
EOF
        cat >"$rig/$home/.smb/smbnetfs.conf" <<EOF
smb_query_browsers  "false"
use_libsecret       "false"
smb_timeout         10000
reply_timeout       30
auth "$addr" "PORLUNERIG/$smb_user" "$smb_pass"
EOF
        chmod 600 "$rig/$home/.smb/smbnetfs.conf"
    done

    mount_one "$rig/mnt" "$rig/home" smbnetfs
    mount_one "$rig/mnt2" "$rig/home2" smbnetfs2

    local dir="$rig/mnt/$addr/$share_name" dir2="$rig/mnt2/$addr/$share_name"
    wait_for 30 test -d "$dir" \
        || { local why; why="$(ls "$dir" 2>&1 | head -1)"; do_stop failed || true; die "share not reachable through smbnetfs: $why"; }
    wait_for 30 test -d "$dir2" \
        || { local why; why="$(ls "$dir2" 2>&1 | head -1)"; do_stop failed || true; die "share not reachable through the second mount: $why"; }
    local work="$dir/tests" work2="$dir2/tests"
    mkdir -p "$work" 2>/dev/null || { do_stop failed || true; die "cannot create a folder on the share"; }
    # The second client must see what the first one made.
    wait_for 30 test -d "$work2" || { do_stop failed || true; die "the second mount does not see $work"; }
    echo "$addr" >"$rig/address"
    printf 'export PORLUNE_SHARE_DIR=%q\n' "$work"
    printf 'export PORLUNE_SHARE_DIR2=%q\n' "$work2"
    printf 'export PORLUNE_RIG_DIR=%q\n' "$rig"
    log "share of $addr mounted twice; tests use $work and $work2"
}

# The file server goes away while both clients stay mounted (a share outage
# as the office sees it), and comes back with the same share and files.
do_server_stop() {
    [ -s "$rig/address" ] || die "no rig at $rig"
    kill_pidfile "$rig/run/smbd.pid"
    wait_for 20 port_free "$(cat "$rig/address")" || die "smbd still listens on $(cat "$rig/address")"
}

do_server_start() {
    [ -s "$rig/address" ] || die "no rig at $rig"
    local addr; addr="$(cat "$rig/address")"
    /usr/sbin/smbd -D -s "$rig/etc/smb.conf" >"$rig/log/smbd.out" 2>&1 \
        || die "smbd did not start: $(tail -5 "$rig/log/smbd.out" 2>/dev/null)"
    wait_for 20 port_busy "$addr" || die "smbd does not listen on $addr:445"
}

case "${1:-}" in
    start) do_start ;;
    stop) do_stop ;;
    server-stop) do_server_stop ;;
    server-start) do_server_start ;;
    status)
        if [ -d "$rig" ] && is_mounted "$rig/mnt"; then
            second="not mounted"
            is_mounted "$rig/mnt2" && second="mounted"
            echo "running: $rig (address $(cat "$rig/address" 2>/dev/null); second mount $second)"
        else
            echo "not running"; exit 1
        fi ;;
    *) echo "usage: $0 start|stop|status|server-stop|server-start" >&2; exit 2 ;;
esac
