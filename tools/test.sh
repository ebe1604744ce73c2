#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
#
# The tests that need a real display (label xvfb) start their own Xvfb, window
# manager and tray host through tools/xvfb-run-test.sh; the others run offscreen.
#
# Tests of shared-folder behaviour run on a real SMB share: tools/smb-rig.sh
# starts smbd on loopback and mounts its share through smbnetfs, the tests find
# a folder on it in PORLUNE_SHARE_DIR and fail (PORLUNE_REQUIRE_SHARE=1) rather
# than skip when it is missing. The rig is stopped on exit, whatever happens.
# PORLUNE_SKIP_SHARE=1 runs without the rig (share cases are then skipped).
#
# The fuzz targets' kept inputs and seeds run in the normal suite (label fuzz).
# With PORLUNE_ASAN=1 and no arguments the whole suite then runs again built
# with AddressSanitizer and UndefinedBehaviorSanitizer (tools/sanitize.sh, the
# clang build in build-fuzz/); with PORLUNE_FUZZ_SECONDS=N every fuzz target
# then runs for N seconds (tools/fuzz.sh). Both are off by default: neither has
# yet been run to its end on a fresh machine within the time CI allows.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
bash tools/install-deps.sh
bash tools/build.sh

export QT_QPA_PLATFORM=offscreen
if [ "${PORLUNE_SKIP_SHARE:-0}" != 1 ]; then
    trap 'bash "$root/tools/smb-rig.sh" stop || true' EXIT
    export PORLUNE_REQUIRE_SHARE=1
    if rig_env="$(bash "$root/tools/smb-rig.sh" start)"; then
        eval "$rig_env"
    else
        echo "test.sh: the SMB test rig did not start; tests that need the share will fail" >&2
    fi
fi
status=0
(cd build && ctest --output-on-failure --timeout 1200 "$@") || status=1
if [ $# -eq 0 ]; then
    if [ "${PORLUNE_ASAN:-0}" = 1 ]; then
        bash tools/sanitize.sh || status=1
    fi
    fuzz_seconds="${PORLUNE_FUZZ_SECONDS:-0}"
    if [ "$fuzz_seconds" != 0 ]; then
        bash tools/fuzz.sh "$fuzz_seconds" || status=1
    fi
fi
exit $status
