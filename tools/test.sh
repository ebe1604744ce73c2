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
# Without arguments the test command then also runs:
#  - the sanitized suite: the whole suite again, built with clang,
#    AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz/
#    (tools/sanitize.sh), on the same SMB rig;
#  - the short fuzzing: every fuzz target for PORLUNE_FUZZ_SECONDS seconds
#    (default 5) in that same build (tools/fuzz.sh).
# Any failure of the three fails the command. Locally PORLUNE_SKIP_SANITIZE=1
# and PORLUNE_SKIP_FUZZ=1 leave a part out; in CI (CI=true) nothing is left out.
# Each part's time is printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
bash tools/install-deps.sh
times=()
start=$SECONDS
bash tools/build.sh
times+=("normal build $((SECONDS - start)) s")

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
skip() { # part: whether the caller asked to leave it out (never in CI)
    local knob="PORLUNE_SKIP_$1"
    [ "${CI:-}" != true ] && [ "${!knob:-0}" = 1 ]
}
status=0
start=$SECONDS
(cd build && ctest --output-on-failure --timeout 1200 "$@") || status=1
times+=("normal suite $((SECONDS - start)) s")
if [ $# -eq 0 ]; then
    if ! skip SANITIZE; then
        start=$SECONDS
        if PORLUNE_SANITIZE_BUILD_ONLY=1 bash tools/sanitize.sh; then
            times+=("sanitized build $((SECONDS - start)) s")
            start=$SECONDS
            bash tools/sanitize.sh || status=1
            times+=("sanitized suite $((SECONDS - start)) s")
        else
            status=1
        fi
    fi
    if ! skip FUZZ; then
        start=$SECONDS
        bash tools/fuzz.sh "${PORLUNE_FUZZ_SECONDS:-5}" || status=1
        times+=("fuzzing $((SECONDS - start)) s")
    fi
fi
printf 'test.sh: %s\n' "${times[@]}"
[ $status = 0 ] && echo "test.sh: all passed" || echo "test.sh: FAILED (see above)"
exit $status
