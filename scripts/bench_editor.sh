#!/usr/bin/env bash
# TVLeditor on a large sequence file under Wine: the wall time from its start
# until its window is shown and closed again (tvl_run_program --close), for a
# file of N items (default 20000) and for an empty one, so that the difference
# is what opening the items costs. Each is run $TVL_BENCH_RUNS times (default 3).
# Usage: scripts/bench_editor.sh [items]   (build folder: $TVL_BENCH_BUILD, default build/windows)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${TVL_BENCH_BUILD:-build/windows}
items=${1:-20000}
runs=${TVL_BENCH_RUNS:-3}

cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j 2 --target TVLeditor tvl_run_program >/dev/null

dir=$root/build/bench-editor
mkdir -p "$dir"
cp "$build/editor/TVLeditor.exe" "$dir/"
python3 - "$dir" "$items" <<'PY'
import sys
folder, n = sys.argv[1], int(sys.argv[2])
records = "".join(
    f"2024/04/01：item{i:05d}\x01\x01File=C:\\bench\\item{i:05d}.exe\r\nCurrent=C:\\bench\r\nOption=-x\r\nSize = 1\r\nNoUse = {i % 7 == 0:d}\x01"
    for i in range(n))
open(f"{folder}/large.pmw", "wb").write(records.encode("cp932"))
open(f"{folder}/empty.pmw", "wb").write(b"")
PY

source scripts/display.sh
start_display
trap stop_display EXIT
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
run() {
  local start end
  start=$(date +%s.%N)
  scripts/wine-run.sh "$build/wine" "$build/common/tvl_run_program.exe" --close \
    "$(winpath "$dir/TVLeditor.exe")" "$(winpath "$dir/$1")" </dev/null >/dev/null 2>&1
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}
run empty.pmw >/dev/null  # the prefix warmed up
for file in empty.pmw large.pmw; do
  times=()
  for _ in $(seq 1 "$runs"); do times+=("$(run "$file")"); done
  echo "$file: ${times[*]} s (start, window shown, closed)"
done
echo "large.pmw holds $items items, $(stat -c %s "$dir/large.pmw") bytes"
