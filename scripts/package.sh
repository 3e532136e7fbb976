#!/usr/bin/env bash
# Builds Release for x64 and x86 and writes the downloadable zips:
#   dist/Tarvoline-<version>-win-x64.zip, dist/Tarvoline-<version>-win-x86.zip
# each holding the four programs (stripped), the example sequence and settings
# files (in example/, so the wizard's own StartUp.pmw beside the programs
# never picks up the example's items) and the read-me in Japanese and English.
# The version is the project's (CMakeLists.txt), the one the programs carry.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
version=$(sed -n 's/^project(Tarvoline VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }
jobs=${TVL_JOBS:-$(nproc)}
mkdir -p dist

for arch in x64 x86; do
  case $arch in
    x64) preset=windows strip=x86_64-w64-mingw32-strip ;;
    x86) preset=windows-x86 strip=i686-w64-mingw32-strip ;;
  esac
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" --target Tarvoline TVLpreparer TVLTool TVLeditor >/dev/null

  name=Tarvoline-$version-win-$arch
  stage=$root/build/package/$name
  rm -rf "$stage"
  mkdir -p "$stage/example"
  for exe in sequencer/Tarvoline wizard/TVLpreparer droptool/TVLTool editor/TVLeditor; do
    "$strip" -o "$stage/$(basename "$exe").exe" "build/$preset/$exe.exe"
  done
  cp sequencer/example/Startup.pmw sequencer/example/Tarvoline.ini "$stage/example/"
  for readme in README-ja.txt README-en.txt; do
    sed "s/@VERSION@/$version/" "docs/release/$readme" >"$stage/$readme"
  done

  zip=$root/dist/$name.zip
  rm -f "$zip"
  (cd "$root/build/package" && cmake -E tar cf "$zip" --format=zip "$name")
  echo "package: $zip"
done
