#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest. The tests
# that need a real display (label xvfb) start their own Xvfb, window manager and
# tray host through tools/xvfb-run-test.sh; the others run offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
bash tools/build.sh

export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure --timeout 1200 "$@"
