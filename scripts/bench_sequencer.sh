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

# measure EXE ARGS...: runs the program from the run folder until it ends,
# prints "wall_seconds cpu_seconds peak_kib start_epoch". Its processor time
# and peak memory are the kernel's count at its end (scripts/cputime.py);
# meanwhile its processor time so far is sampled every 0.05 s, as
# "epoch_seconds cpu_seconds" lines in $dir/samples.txt.
measure() {
  local exe=$1; shift
  local start end pid="" began=0
  rm -f "$dir/cputime.txt"
  : >"$dir/samples.txt"
  start=$(date +%s.%N)
  (cd "$dir/run" && TVL_WINE_TIME="$dir/cputime.txt" exec "$root/scripts/wine-run.sh" "$wine_dir" "$dir/run/$exe" "$@") \
    </dev/null >/dev/null 2>&1 &
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
    # Each thread's time on a processor, in nanoseconds.
    if [ -n "$pid" ]; then
      { cat /proc/"$pid"/task/*/schedstat 2>/dev/null || true; } |
        awk -v t="$(date +%s.%N)" '{ ns += $1 } END { if (NR) printf "%s %.6f\n", t, ns / 1e9 }' >>"$dir/samples.txt"
    fi
    sleep 0.05
  done
  wait "$launcher" 2>/dev/null || true
  end=$(date +%s.%N)
  local user=0 sys=0 peak=0
  [ -s "$dir/cputime.txt" ] && read -r user sys peak <"$dir/cputime.txt"
  awk -v s="$start" -v e="$end" -v u="$user" -v y="$sys" -v p="$peak" -v b="$began" \
    'BEGIN { printf "%.1f %.3f %d %s\n", e - s, u + y, p, b }'
}

# The time stamps of the report's lines after the first `skip`, one a line.
stamps() {
  { tail -n +"$(($1 + 1))" "$dir/run/Tarvoline.log" 2>/dev/null || true; } | sed 's/^\xEF\xBB\xBF//' |
    sed -n 's/^\([0-9].\{22\}\).*/\1/p'
}

# Processor seconds the last run spent from the report's last item line on
# (its last start, then whatever comes before the end), given its total:
# the total less the last sample taken before that line.
after_last_item() {
  local skip=$1 total=$2 stamp
  stamp=$(stamps "$skip" | tail -n 2 | sed -n 1p)
  [ -n "$stamp" ] || { echo "?"; return; }
  awk -v at="$(date -d "$stamp" +%s.%N)" -v total="$total" '$1 <= at { cpu = $2 } END { printf "%.1f", (total - cpu) * 1000 }' \
    "$dir/samples.txt"
}

# Seconds from the process start to the report's line number n (1: the run
# begins, 2: the first item) among the lines after the first `skip`.
to_line() {
  local skip=$1 n=$2 began=$3 stamp
  stamp=$(stamps "$skip" | sed -n "${n}p")
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
    after=$(after_last_item "${skip:-0}" "$t_cpu")
    read -r b_wall b_cpu b_peak _ < <(measure tvl_bare_ticker.exe "$every" "$(winpath "$dir/run/list.txt")")
    ratio=$(awk -v t="$t_cpu" -v b="$b_cpu" 'BEGIN { printf "%.2f", (b > 0 ? t / b : 0) }')
    echo "  run $r: Tarvoline $t_wall s, CPU $t_cpu s ($after ms from its last item on), $t_peak KiB" \
         "(run begins after $begins s, first item after $first s); bare $b_wall s, CPU $b_cpu s, $b_peak KiB; CPU ${ratio}x"
    echo "$t_cpu $b_cpu $ratio $t_peak $b_peak $((t_peak - b_peak)) $begins $first $after" >>"$dir/runs-$idle.txt"
  done
  col() { awk -v c="$1" '{ print $c }' "$dir/runs-$idle.txt" | median; }
  echo "$idle $(col 1) $(col 2) $(col 3) $(col 4) $(col 5) $(col 6) $(col 7) $(col 8) $(col 9)" >>"$dir/summary.txt"
done

printf '\n%6s %12s %8s %7s %14s %10s %9s %9s %9s %10s   (medians)\n' "idle" "Tarvoline s" "bare s" "ratio" \
  "Tarvoline KiB" "bare KiB" "diff KiB" "begins s" "1st item" "last ms"
while read -r idle tc bc ratio tp bp dp begins first after; do
  printf '%6s %12s %8s %6sx %14s %10s %9s %9s %9s %10s\n' "$idle" "$tc" "$bc" "$ratio" "$tp" "$bp" "$dp" "$begins" \
    "$first" "$after"
done <"$dir/summary.txt"
echo "(Processor time and peak resident memory of each Windows process itself, as the kernel counts"
echo " them at its end; the Wine server's share is not included. \"begins\" and \"1st item\": from the"
echo " process start to the report's run-begins line and first item line; the first item waits its"
echo " IntervalTime, 0.8 s, by design. \"last ms\": Tarvoline's processor time from its last item line"
echo " (the last start) to its end, where recording the timeline does most of its work.)"
