#!/usr/bin/env bash
# The main job: set up, build the Windows programs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"
echo "Built the Windows programs in build/windows."
