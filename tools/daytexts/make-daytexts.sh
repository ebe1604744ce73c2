#!/usr/bin/env bash
# Rebuilds data/nani01.dat to nani12.dat from tools/daytexts/daytexts.txt.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash tools/build.sh >/dev/null
build/bin/porlune-daytexts tools/daytexts/daytexts.txt data
