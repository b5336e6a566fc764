#!/usr/bin/env bash
# Builds the command line, makes the demo database once (build/demo.db) and
# runs the main job: planned against booked times by department and phase.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target quarvelindo
if [[ ! -f build/demo.db ]]; then
  ./build/default/app/quarvelindo demo-db build/demo.db --bookings 20000
fi
./build/default/app/quarvelindo run --db build/demo.db --group Reparto,Fase --unit hh:mm:ss
