#!/usr/bin/env bash
# Installs what is missing, builds, and starts Porlune from a program folder of
# its own (build/demo): the folder of the executable holds the user's settings
# and message folders. A first run prepares a demo office there (two groups,
# a dozen colleagues, common lists, a mail place) so there is a live board at once.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
bash tools/build.sh

folder="$PWD/build/demo"
if [ ! -f "$folder/Porlune.INI" ]; then
    build/tools/porlune-demo "$folder"
fi
install -m 755 build/bin/Porlune "$folder/Porlune"
install -m 644 data/Porlune.HLP data/nani*.dat "$folder/"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Porlune under a virtual X server (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$folder/Porlune"
fi
exec "$folder/Porlune"
