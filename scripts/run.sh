#!/usr/bin/env bash
# The run command: installs what is missing, builds and starts the monitor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(nproc)"
if [ -x build/bin/calorix ]; then
  exec build/bin/calorix "$@"
fi
echo "The monitor program is not built yet; the libraries and tests are."
echo "Meanwhile the readings and pictures can be seen with the tools in build/bin/."
