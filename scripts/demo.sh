#!/usr/bin/env bash
# Builds the command line and runs the main job.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target quarvelindo
./build/default/app/quarvelindo examples
