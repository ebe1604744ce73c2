#!/usr/bin/env bash
# Configures and builds into build/ (Ninja, with debug information).
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache, when the machine has it, lets several checkouts of the project share
# one compiler cache (paths taken relative to the checkout).
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null

# The automatic moc step of an existing build tree does not notice headers that
# appear later (a merge bringing a new Q_OBJECT class): when the set of headers
# changed since the last build, let it scan afresh.
headers="$(find src tests tools bench -name '*.h' | sort | sha1sum | cut -d' ' -f1)"
if [ "$(cat build/.porlune-headers 2>/dev/null || true)" != "$headers" ]; then
    find build -maxdepth 3 -type d -name '*_autogen' -prune -exec rm -rf {} +
fi
cmake --build build -j"$(nproc)"
echo "$headers" > build/.porlune-headers
