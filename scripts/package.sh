#!/usr/bin/env bash
# Builds the Debian package from the normal build (build/default): the
# programs and libraries it holds are built if they are not already, then
# CPack lays them out under /usr and writes build/quarvelindo_VERSION_ARCH.deb.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" \
  --target quarvelindo quarvelindo-host pdxr_quarvelindo quarvelindo_packaging_files
rm -f build/quarvelindo_*.deb
if ! cpack --config build/default/CPackConfig.cmake -B "$PWD/build" >build/cpack.log 2>&1; then
  cat build/cpack.log >&2
  exit 1
fi
rm -rf build/_CPack_Packages
deb="$(ls build/quarvelindo_*.deb)"
echo "package: $deb"
