#!/usr/bin/env bash
# Installs what is missing, builds, and starts Porlune from a program folder of
# its own (run/demo beside the sources): the folder of the executable holds the
# user's settings and message folders.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
bash tools/build.sh

folder="$PWD/run/demo"
mkdir -p "$folder"
install -m 755 build/bin/Porlune "$folder/Porlune"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Porlune under a virtual X server (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$folder/Porlune"
fi
exec "$folder/Porlune"
