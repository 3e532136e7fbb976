#!/usr/bin/env bash
# Tarvoline's own load under Wine, against a bare Win32 window that does the
# same work per tick (one processor sample and one progress-bar update every
# 200 ms, with the same common controls) for the same number of ticks: CPU
# time and peak memory of both processes, each counted from its start-up to
# its end in the same way.
# Tarvoline runs a sequence of N items (default 50) paced by IntervalTime, one
# start every third tick, and ends on the tick of the last start; the items
# name documents that do not exist, so nothing is started and only the
# sequencer's own work is counted. It runs twice per round: writing its start
# report (one line per item), and with Report = 0, to show what the report costs.
# Usage: scripts/bench_sequencer.sh [items]   (build folder: $TVL_BENCH_BUILD, default
# build/windows; runs of each program: $TVL_BENCH_RUNS, default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${TVL_BENCH_BUILD:-build/windows}
items=${1:-50}

cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j 2 --target Tarvoline tvl_bare_ticker >/dev/null

dir=$root/build/bench-sequencer
mkdir -p "$dir/noreport"
cp "$build/sequencer/Tarvoline.exe" "$build/sequencer/bench/tvl_bare_ticker.exe" "$dir/"
cp "$build/sequencer/Tarvoline.exe" "$dir/noreport/"
rm -f "$dir/Tarvoline.log" "$dir/Tarvoline.log.1"
for folder in "$dir" "$dir/noreport"; do
python3 - "$folder" "$items" <<'EOF'
import os, sys
folder, n = sys.argv[1], int(sys.argv[2])
records = "".join(
    f"2024/04/01：item{i:03d}\x01\x01File=C:\\bench\\missing\\item{i:03d}.txt\r\nCurrent=\r\nOption=\r\nSize = 1\r\nNoUse = 0\x01"
    for i in range(n))
open(f"{folder}/Startup.pmw", "wb").write(records.encode("cp932"))
# Every item may start as soon as 400 ms have passed: on every third tick.
open(f"{folder}/Tarvoline.ini", "wb").write(
    b"CPULimit = 100\r\nMaxIdleTime = 10000\r\nIntervalTime = 400\r\nTimerInterval = 200\r\n"
    + (b"Report = 0\r\n" if os.path.basename(folder) == "noreport" else b""))
EOF
done

source scripts/display.sh
start_display
trap stop_display EXIT
scripts/wine-run.sh "$dir/wine" cmd /c exit </dev/null >/dev/null 2>&1  # the prefix, made before timing

hz=$(getconf CLK_TCK)

# measure [-in SUBFOLDER] EXE ARGS...: runs the program, samples its process
# until it ends, prints "wall_seconds cpu_seconds peak_kib".
measure() {
  local from=$dir
  if [ "$1" = -in ]; then from=$dir/$2; shift 2; fi
  local exe=$1; shift
  local start end pid="" cpu=0 peak=0
  start=$(date +%s.%N)
  scripts/wine-run.sh "$dir/wine" "$from/$exe" "$@" </dev/null >/dev/null 2>&1 &
  local launcher=$!
  while kill -0 "$launcher" 2>/dev/null; do
    if [ -z "$pid" ]; then
      # The Windows process itself: its command line starts with the
      # program's path, in Windows form under the 32-bit loader and as it was
      # given under the 64-bit one (the launchers' names start it otherwise).
      for p in /proc/[0-9]*; do
        if { tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null | grep -qiE "^([a-z]:\\\\|/)[^ ]*[/\\\\]$exe( |\$)"; then
          pid=${p#/proc/}
          break
        fi
      done
    fi
    if [ -n "$pid" ] && [ -r "/proc/$pid/stat" ]; then
      local ticks hwm
      ticks=$(awk '{print $14 + $15}' "/proc/$pid/stat" 2>/dev/null || echo "")
      hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo "")
      [ -n "$ticks" ] && cpu=$ticks
      [ -n "$hwm" ] && peak=$hwm
    fi
    sleep 0.1
  done
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" -v c="$cpu" -v hz="$hz" -v p="$peak" \
    'BEGIN { printf "%.1f %.2f %d\n", e - s, c / hz, p }'
}

ticks=$((items * 3))
runs=${TVL_BENCH_RUNS:-3}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# The two programs take turns, so that a change in the machine's other load
# falls on both; each figure is the median of the runs.
echo "$runs runs each: Tarvoline with $items items, a start every 600 ms ($ticks ticks), with and without its report, then the bare ticker for the same $ticks ticks ..."
: >"$dir/runs.txt"
for ((r = 1; r <= runs; r++)); do
  read -r t_wall t_cpu t_peak < <(measure Tarvoline.exe)
  read -r n_wall n_cpu n_peak < <(measure -in noreport Tarvoline.exe)
  read -r b_wall b_cpu b_peak < <(measure tvl_bare_ticker.exe "$ticks")
  echo "  run $r: Tarvoline $t_wall s, CPU $t_cpu s, $t_peak KiB; Report = 0: $n_wall s, CPU $n_cpu s, $n_peak KiB; bare $b_wall s, CPU $b_cpu s, $b_peak KiB"
  echo "$t_wall $t_cpu $t_peak $b_wall $b_cpu $b_peak $n_wall $n_cpu $n_peak" >>"$dir/runs.txt"
done
col() { awk -v c="$1" '{ print $c }' "$dir/runs.txt" | median; }
t_wall=$(col 1) t_cpu=$(col 2) t_peak=$(col 3) b_wall=$(col 4) b_cpu=$(col 5) b_peak=$(col 6)
n_wall=$(col 7) n_cpu=$(col 8) n_peak=$(col 9)

printf '\n%-22s %8s %10s %14s   (medians)\n' "program" "wall s" "CPU s" "peak memory KiB"
printf '%-22s %8s %10s %14s\n' "Tarvoline" "$t_wall" "$t_cpu" "$t_peak"
printf '%-22s %8s %10s %14s\n' "Tarvoline, Report = 0" "$n_wall" "$n_cpu" "$n_peak"
printf '%-22s %8s %10s %14s\n' "bare Win32 ticker" "$b_wall" "$b_cpu" "$b_peak"
# The report's cost against the spread of the runs without it.
awk -v lines="$(grep -c '' "$dir/Tarvoline.log" 2>/dev/null || echo 0)" '
  { d[NR] = $2 - $8; if (NR == 1 || $8 < lo) lo = $8; if (NR == 1 || $8 > hi) hi = $8 }
  END { printf "report (%d lines written): CPU with minus without per run:", lines
        for (i = 1; i <= NR; i++) printf " %+.2f s", d[i]
        printf "; spread of the runs without it: %.2f s\n", hi - lo }' "$dir/runs.txt"
awk -v tc="$t_cpu" -v bc="$b_cpu" -v tp="$t_peak" -v bp="$b_peak" \
  'BEGIN { if (bc > 0 && bp > 0) printf "Tarvoline / bare: CPU %.2fx, peak memory %.2fx\n", tc / bc, tp / bp }'
echo "(CPU time and peak resident memory of the Windows process itself, sampled from /proc"
echo " every 0.1 s from its start-up to its end; the Wine server's share, the same kind"
echo " for both, is not included.)"
