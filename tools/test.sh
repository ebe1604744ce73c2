#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
bash tools/build.sh

export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure --timeout 1200 "$@"
