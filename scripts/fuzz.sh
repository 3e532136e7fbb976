#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz: clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each one for a while: the longer runs
# beside the test command, which only replays the seeds (fuzz/CMakeLists.txt).
# Each target starts from its seeds in fuzz/corpus/<target>/, copied to
# build/fuzz/run/<target>/corpus so the repository's seeds stay small; an
# input that breaks a property lands in build/fuzz/run/<target>/, and the run
# goes on with the next target. The findings are named at the end.
# Usage: scripts/fuzz.sh [seconds per target (default 60)] [target...]
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(settings sequence startup_text text file_list path sequence_document timeline)

have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
need=()
for p in cmake clang libclang-rt-14-dev; do have "$p" || need+=("$p"); done
if [ ${#need[@]} -gt 0 ]; then
  echo "fuzz: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null ||
    { echo "fuzz: could not install ${need[*]}"; exit 1; }
fi

log="$root/build/fuzz-build.log"
mkdir -p "$root/build"
if ! { cmake --preset fuzz && cmake --build --preset fuzz -j "${TVL_JOBS:-$(nproc)}"; } >"$log" 2>&1; then
  grep -E 'error|Error' "$log" | head -40; echo "fuzz: build failed (see $log)"; exit 1
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
# What broke, from a target's log: the property or the sanitizer's line.
broke() { grep -m1 -E 'property failed|ERROR: [A-Za-z]+Sanitizer|runtime error|deadly signal|ERROR: libFuzzer' "$1"; }
for t in "${targets[@]}"; do
  exe="$root/build/fuzz/fuzz/${t}_fuzz"
  seeds="$root/fuzz/corpus/$t"
  work="$root/build/fuzz/run/$t"
  [ -x "$exe" ] || { echo "fuzz: no target $t"; failed+=("$t: no such target"); continue; }
  rm -rf "$work"; mkdir -p "$work/corpus"
  [ -d "$seeds" ] && cp "$seeds"/* "$work/corpus/" 2>/dev/null
  echo "=== $t: seeds, then ${seconds}s"
  # The seeds alone first: a seed kept as a regression must pass on its own.
  if ! (cd "$work" && "$exe" -runs=0 "$seeds" >seeds.log 2>&1); then
    grep -E 'property failed|ERROR|runtime error|SUMMARY' "$work/seeds.log" | head -10
    seed=
    for c in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
      [ -f "$c" ] || continue
      for f in "$seeds"/*; do cmp -s "$c" "$f" && seed=${f#"$root"/}; done
    done
    failed+=("$t: seed ${seed:-?} fails: $(broke "$work/seeds.log")")
    continue
  fi
  start=$(date +%s)
  (cd "$work" && "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
     -dict="$root/fuzz/tvl.dict" corpus >fuzz.log 2>&1)
  rc=$?
  took=$(( $(date +%s) - start ))
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/fuzz.log" | grep -o '[0-9]*$')
  cov=$(grep -o 'cov: [0-9]*' "$work/fuzz.log" | tail -1)
  echo "$t: ${took}s, ${runs:-?} runs, ${cov:-cov: ?}, corpus $(ls "$work/corpus" | wc -l) inputs"
  if [ $rc -ne 0 ]; then
    grep -E 'property failed|ERROR|runtime error|SUMMARY' "$work/fuzz.log" | head -10
    found=$(ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* 2>/dev/null | head -1)
    failed+=("$t: ${found:+${found#"$root"/} }$(broke "$work/fuzz.log")")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Findings (once fixed, keep each input as a seed in fuzz/corpus/<target>/):"
  printf '  %s\n' "${failed[@]}"
  exit 1
fi
echo "No findings: ${targets[*]}"
