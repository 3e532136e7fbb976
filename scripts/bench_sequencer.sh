#!/usr/bin/env bash
# Tarvoline's own cost under Wine, against a bare Win32 window doing the same
# starts (sequencer/bench/bare_ticker.cpp): the same N CreateProcess starts
# (default 20) of the same programs, paced 1 s apart (a start every fifth
# 200 ms tick), with the same caption, row, progress and repaint per start, a
# processor sample per tick, and one list of the running processes per start
# (the least the default SkipRunning = 1 must do, so that the ratio is
# Tarvoline's own overhead). Tarvoline runs with its defaults (start report
# on, SkipRunning on) and a settings file that only paces it (CPULimit 100,
# IntervalTime 800, TimerInterval 200). The started programs are copies of the
# test probe that end at once.
# Each round runs with a number of idle probe programs already running
# (default 20, then 200), so that the growth of the cost with the number of
# processes shows. Per run the two programs go back to back, and the figure is
# their ratio in that run; the table gives the medians.
# Also printed: the time from Tarvoline's process start to the first line of its
# report (the run begins) and to the first item's line (its decision).
# Usage: scripts/bench_sequencer.sh [items]   (build folder: $TVL_BENCH_BUILD,
# default build/windows; runs per round: $TVL_BENCH_RUNS, default 3; idle
# programs per round: $TVL_BENCH_IDLE, default "20 200"; another build of
# Tarvoline.exe to measure against the same yardstick: $TVL_BENCH_TARVOLINE;
# more lines for its Tarvoline.ini, such as "Timeline = 0" to see what
# recording the timeline costs: $TVL_BENCH_SETTINGS)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${TVL_BENCH_BUILD:-build/windows}
items=${1:-20}
runs=${TVL_BENCH_RUNS:-3}
idle_counts=${TVL_BENCH_IDLE:-20 200}
every=5  # ticks per start: IntervalTime 800 ms passes on the fifth 200 ms tick

cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j 2 --target Tarvoline tvl_bare_ticker tvl_probe >/dev/null

dir=$root/build/bench-sequencer
wine_dir=$dir/wine
export WINEPREFIX=$wine_dir/prefix
rm -rf "$dir/run"
mkdir -p "$dir/run/items"
cp "${TVL_BENCH_TARVOLINE:-$build/sequencer/Tarvoline.exe}" "$dir/run/Tarvoline.exe"
cp "$build/sequencer/bench/tvl_bare_ticker.exe" "$dir/run/"
cp "$build/sequencer/tests/tvl_probe.exe" "$dir/run/idle.exe"
# Wine sees the Linux file system as drive Z:.
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
: >"$dir/run/list.txt"
for ((i = 0; i < items; i++)); do
  name=$(printf 'item%03d' "$i")
  cp "$build/sequencer/tests/tvl_probe.exe" "$dir/run/items/$name.exe"
  winpath "$dir/run/items/$name.exe" >>"$dir/run/list.txt"
  echo >>"$dir/run/list.txt"
done
TVL_BENCH_SETTINGS=${TVL_BENCH_SETTINGS:-} python3 - "$dir/run" <<'EOF'
import os, sys
folder = sys.argv[1]
paths = [l for l in open(f"{folder}/list.txt", encoding="utf-8").read().splitlines() if l]
records = "".join(
    f"2024/04/01：{p.rsplit(chr(92), 1)[1][:-4]}\x01\x01File={p}\r\nCurrent=\r\nOption=\r\nSize = 1\r\nNoUse = 0\x01"
    for p in paths)
open(f"{folder}/Startup.pmw", "wb").write(records.encode("cp932"))
open(f"{folder}/Tarvoline.ini", "wb").write(
    b"CPULimit = 100\r\nMaxIdleTime = 10000\r\nIntervalTime = 800\r\nTimerInterval = 200\r\n" +
    "".join(l.strip() + "\r\n" for l in os.environ["TVL_BENCH_SETTINGS"].split(";") if l.strip()).encode())
EOF

# A display of its own: every idle program is a client of the X server, and
# the usual limit of 256 clients would refuse Tarvoline's window (it then ends
# after its first report line) and stall the bare window.
source scripts/display.sh
start_own_display -maxclients 2048
cleanup() {
  wineserver -k 2>/dev/null || true
  stop_display || true
}
trap cleanup EXIT
scripts/wine-run.sh "$wine_dir" cmd /c exit </dev/null >/dev/null 2>&1  # the prefix, made before timing

hz=$(getconf CLK_TCK)
boot=$(awk '/^btime/ {print $2}' /proc/stat)

# measure EXE ARGS...: runs the program from the run folder, samples its
# process until it ends, prints "wall_seconds cpu_seconds peak_kib start_epoch".
measure() {
  local exe=$1; shift
  local start end pid="" cpu=0 peak=0 began=0
  start=$(date +%s.%N)
  (cd "$dir/run" && exec "$root/scripts/wine-run.sh" "$wine_dir" "$dir/run/$exe" "$@") </dev/null >/dev/null 2>&1 &
  local launcher=$! limit=$(($(date +%s) + 180))
  while kill -0 "$launcher" 2>/dev/null; do
    # A run should take about 25 s: one that stalls is stopped and said so.
    if [ "$(date +%s)" -ge "$limit" ]; then
      echo "  $exe stopped after 180 s: it stalled" >&2
      [ -n "$pid" ] && kill "$pid" 2>/dev/null
      kill "$launcher" 2>/dev/null
      break
    fi
    if [ -z "$pid" ]; then
      # The Windows process itself: its command line starts with the
      # program's path, in Windows form under the 32-bit loader and as it was
      # given under the 64-bit one (the launchers' names start it otherwise).
      for p in /proc/[0-9]*; do
        if { tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null | grep -qiE "^([a-z]:\\\\|/)[^ ]*[/\\\\]$exe( |\$)"; then
          pid=${p#/proc/}
          began=$(awk -v b="$boot" -v hz="$hz" '{ printf "%.2f", b + $22 / hz }' "/proc/$pid/stat" 2>/dev/null || echo 0)
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
    sleep 0.05
  done
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" -v c="$cpu" -v hz="$hz" -v p="$peak" -v b="$began" \
    'BEGIN { printf "%.1f %.2f %d %s\n", e - s, c / hz, p, b }'
}

# Seconds from the process start to the report's line number n (1: the run
# begins, 2: the first item) among the lines after the first `skip`.
to_line() {
  local skip=$1 n=$2 began=$3 stamp
  stamp=$(tail -n +"$((skip + 1))" "$dir/run/Tarvoline.log" 2>/dev/null | sed -n "${n}p" | sed 's/^\xEF\xBB\xBF//' | cut -c1-23)
  [ -n "$stamp" ] && [ "$began" != 0 ] || { echo "?"; return; }
  awk -v a="$(date -d "$stamp" +%s.%N)" -v b="$began" 'BEGIN { printf "%.2f", a - b }'
}

# Starts n idle probe programs (each keeps a window and its message loop for
# an hour) and waits until all of them are up.
start_idle() {
  local n=$1
  rm -f "$dir/run/idle.txt"
  TVL_PROBE_OUT="$(winpath "$dir/run/idle.txt")" scripts/wine-run.sh "$wine_dir" cmd /c \
    "for /l %i in (1,1,$n) do start \"\" /b $(winpath "$dir/run/idle.exe") -sleep 0 -live 3600000" \
    </dev/null >/dev/null 2>&1
  for _ in $(seq 1 600); do
    [ "$(grep -c '' "$dir/run/idle.txt" 2>/dev/null || echo 0)" -ge "$n" ] && return 0
    sleep 0.5
  done
  echo "only $(grep -c '' "$dir/run/idle.txt" 2>/dev/null || echo 0) of $n idle programs came up" >&2
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "Tarvoline (report on, SkipRunning on) and the bare window, $items starts 1 s apart, $runs runs each:"
: >"$dir/summary.txt"
for idle in $idle_counts; do
  wineserver -k 2>/dev/null || true
  scripts/wine-run.sh "$wine_dir" cmd /c exit </dev/null >/dev/null 2>&1
  start_idle "$idle"
  echo "with $idle idle programs running:"
  : >"$dir/runs-$idle.txt"
  for ((r = 1; r <= runs; r++)); do
    skip=$(grep -c '' "$dir/run/Tarvoline.log" 2>/dev/null || true)
    read -r t_wall t_cpu t_peak t_began < <(measure Tarvoline.exe)
    begins=$(to_line "${skip:-0}" 1 "$t_began") first=$(to_line "${skip:-0}" 2 "$t_began")
    read -r b_wall b_cpu b_peak _ < <(measure tvl_bare_ticker.exe "$every" "$(winpath "$dir/run/list.txt")")
    ratio=$(awk -v t="$t_cpu" -v b="$b_cpu" 'BEGIN { printf "%.2f", (b > 0 ? t / b : 0) }')
    echo "  run $r: Tarvoline $t_wall s, CPU $t_cpu s, $t_peak KiB (run begins after $begins s, first item after $first s);" \
         "bare $b_wall s, CPU $b_cpu s, $b_peak KiB; CPU ${ratio}x"
    echo "$t_cpu $b_cpu $ratio $t_peak $b_peak $((t_peak - b_peak)) $begins $first" >>"$dir/runs-$idle.txt"
  done
  col() { awk -v c="$1" '{ print $c }' "$dir/runs-$idle.txt" | median; }
  echo "$idle $(col 1) $(col 2) $(col 3) $(col 4) $(col 5) $(col 6) $(col 7) $(col 8)" >>"$dir/summary.txt"
done

printf '\n%6s %12s %8s %7s %14s %10s %9s %9s %9s   (medians)\n' "idle" "Tarvoline s" "bare s" "ratio" \
  "Tarvoline KiB" "bare KiB" "diff KiB" "begins s" "1st item"
while read -r idle tc bc ratio tp bp dp begins first; do
  printf '%6s %12s %8s %6sx %14s %10s %9s %9s %9s\n' "$idle" "$tc" "$bc" "$ratio" "$tp" "$bp" "$dp" "$begins" "$first"
done <"$dir/summary.txt"
echo "(CPU time and peak resident memory of each Windows process itself, sampled from /proc every"
echo " 0.05 s from its start-up to its end; the Wine server's share is not included. \"begins\" and"
echo " \"1st item\": from the process start to the report's run-begins line and first item line; the"
echo " first item waits its IntervalTime, 0.8 s, by design.)"
