#!/usr/bin/env bash
# Builds the whole project with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/ and runs the test suite there.
# Arguments go to ctest. The same build holds the fuzz targets (tools/fuzz.sh):
# one sanitized build of the libraries instead of two.
# PORLUNE_SANITIZE_CONFIGURE_ONLY=1 only configures; PORLUNE_SANITIZE_BUILD_ONLY=1
# configures and builds.
#
# Leak reports of the system's own libraries are suppressed through
# tools/lsan.supp; every other report fails the test that made it.
# The stress runs are made smaller here (a sanitized run is several times
# slower); PORLUNE_STRESS_* set by the caller win.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPORLUNE_SANITIZE=ON -DPORLUNE_FUZZ=ON -DPORLUNE_BUILD_TESTS=ON -DPORLUNE_BUILD_TOOLS=ON \
    "${launcher[@]}" >/dev/null
# As tools/build.sh: headers that appeared since the last build need a fresh moc scan.
headers="$(find src tests tools bench fuzz -name '*.h' | sort | sha1sum | cut -d' ' -f1)"
if [ "$(cat build-fuzz/.porlune-headers 2>/dev/null || true)" != "$headers" ]; then
    find build-fuzz -maxdepth 3 -type d -name '*_autogen' -prune -exec rm -rf {} +
fi
echo "$headers" > build-fuzz/.porlune-headers
[ "${PORLUNE_SANITIZE_CONFIGURE_ONLY:-0}" = 1 ] && exit 0
cmake --build build-fuzz -j"$(nproc)"

[ "${PORLUNE_SANITIZE_BUILD_ONLY:-0}" = 1 ] && exit 0

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0:strict_init_order=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tools/lsan.supp:print_suppressions=0}"
export PORLUNE_STRESS_WRITERS="${PORLUNE_STRESS_WRITERS:-4}"
export PORLUNE_STRESS_CYCLES="${PORLUNE_STRESS_CYCLES:-50}"
export PORLUNE_STRESS_CLAIM_ROUNDS="${PORLUNE_STRESS_CLAIM_ROUNDS:-20}"
export QT_QPA_PLATFORM=offscreen
cd build-fuzz
ctest --output-on-failure --timeout 2400 "$@"
