#!/usr/bin/env bash
# Sets up a fresh Debian machine and runs every test: the native core suites,
# the same suites under AddressSanitizer and UndefinedBehaviorSanitizer, then
# the Windows x64 and x86 builds under Wine on a virtual display.
# Usage: scripts/test.sh [preset...]   (default: native native-asan windows windows-x86)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh || { echo "setup failed"; exit 1; }

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native native-asan windows windows-x86)
jobs=${TVL_JOBS:-$(nproc)}

# One virtual display for every test that opens a window.
source scripts/display.sh
start_display

cleanup() {
  for p in "${presets[@]}"; do
    [ -d "$root/build/$p/wine/prefix" ] && WINEPREFIX="$root/build/$p/wine/prefix" wineserver -k 2>/dev/null
  done
  stop_display
}
trap cleanup EXIT

failed=()
skipped=()
source scripts/wine-loader.sh
for p in "${presets[@]}"; do
  echo "=== $p"
  if ! cmake --preset "$p" >"$root/build-$p.log" 2>&1; then
    cat "$root/build-$p.log"; failed+=("$p: configure"); continue
  fi
  if ! cmake --build --preset "$p" -j "$jobs" >>"$root/build-$p.log" 2>&1; then
    grep -E 'error|Error' "$root/build-$p.log" | head -40; failed+=("$p: build"); continue
  fi
  rm -f "$root/build-$p.log"
  if [ "$p" = windows-x86 ] && ! tvl_runs_32bit; then
    # Built and linked above; its programs need a kernel that runs 32-bit code.
    echo "windows-x86: built; its tests are skipped: this machine's kernel cannot execute 32-bit programs"
    skipped+=("$p")
    continue
  fi
  ctest --preset "$p" -j "$jobs" || failed+=("$p: tests")
done

# The release: both zips made from the two Windows builds, and their programs
# run as a user who downloaded them would.
if [[ " ${presets[*]} " == *" windows "* && " ${presets[*]} " == *" windows-x86 "* ]]; then
  echo "=== package"
  if bash scripts/package.sh && bash scripts/package_check.sh; then :; else failed+=("package"); fi
fi

if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}"
  exit 1
fi
echo "All test suites passed: ${presets[*]}${skipped[*]:+ (not run here: ${skipped[*]})}"
