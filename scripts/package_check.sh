#!/usr/bin/env bash
# Checks the release zips that scripts/package.sh made: each holds exactly
# the expected files, every program is under 1 MB, and the programs taken
# from the zip run under Wine: Tarvoline ends by itself on an empty
# sequence; the wizard, the drop tool and the editor open their windows and
# close on request. Needs the Windows builds (for the runner) and a display.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
version=$(sed -n 's/^project(Tarvoline VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

expected="README-en.txt README-ja.txt TVLTool.exe TVLeditor.exe TVLpreparer.exe Tarvoline.exe example/Startup.pmw example/Tarvoline.ini"
failed=0
fail() { echo "package check: $*" >&2; failed=1; }
source scripts/wine-loader.sh
# Wine sees the Linux file system as drive Z:.
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }

for arch in x64 x86; do
  case $arch in x64) preset=windows ;; x86) preset=windows-x86 ;; esac
  name=Tarvoline-$version-win-$arch
  zip=$root/dist/$name.zip
  [ -f "$zip" ] || { fail "$zip is missing"; continue; }

  out=$root/build/package-check/$arch
  rm -rf "$out"
  mkdir -p "$out"
  (cd "$out" && cmake -E tar xf "$zip")
  got=$(cd "$out/$name" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
  [ "$got" = "$(echo "$expected" | tr ' ' '\n' | LC_ALL=C sort | tr '\n' ' ')" ] || fail "$name holds: $got"
  for exe in Tarvoline TVLpreparer TVLTool TVLeditor; do
    size=$(stat -c %s "$out/$name/$exe.exe" 2>/dev/null || echo 0)
    [ "$size" -gt 0 ] && [ "$size" -lt 1048576 ] || fail "$name/$exe.exe is $size bytes"
  done

  # The programs as the user runs them, each in a folder of its own.
  if [ $arch = x86 ] && ! tvl_runs_32bit; then
    echo "package check: $name checked as files only: this machine cannot run 32-bit programs"
    continue
  fi
  runner=build/$preset/common/tvl_run_program.exe
  wine=build/$preset/wine
  [ -f "$runner" ] || { fail "$runner is missing: build the $preset preset first"; continue; }
  run=$out/run
  mkdir -p "$run"
  cp "$out/$name/Tarvoline.exe" "$run/"
  : >"$run/Startup.pmw"
  scripts/wine-run.sh "$wine" "$runner" "$(winpath "$run/Tarvoline.exe")" </dev/null \
    || fail "$name: Tarvoline did not end by itself on an empty sequence"
  for exe in TVLpreparer TVLTool TVLeditor; do
    scripts/wine-run.sh "$wine" "$runner" --close "$(winpath "$out/$name/$exe.exe")" </dev/null \
      || fail "$name: $exe did not open its window and close on request"
  done
done

[ $failed -eq 0 ] && echo "package check: both zips hold what they should, and their programs run where this machine can run them"
exit $failed
