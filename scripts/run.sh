#!/usr/bin/env bash
# The main job: set up a fresh Debian machine, build the Windows programs and
# run Tarvoline under Wine on the bundled example sequence
# (sequencer/demo/Startup.pmw: Wine's own programs, a document, a program that
# is missing and an item switched off). The window shows on the current
# display when there is one, otherwise on a virtual display; either way a
# screenshot of the running window is saved under build/run/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${TVL_RUN_BUILD:-build/windows}

bash scripts/setup.sh
cmake --preset windows -B "$build" >/dev/null
# Only the four programs: the tests are the test command's to build.
cmake --build "$build" -j "$(nproc)" --target ${TVL_RUN_TARGETS:-Tarvoline TVLpreparer TVLTool TVLeditor}
echo "Built the Windows programs in $build."

# The run folder: the program with the example sequence and settings beside
# it, as the wizard would leave them (no argument: Startup.pmw is found there).
run=$root/build/run
mkdir -p "$run"
cp "$build/sequencer/Tarvoline.exe" sequencer/demo/Startup.pmw sequencer/demo/Tarvoline.ini "$run/"
winedir=$run/wine

source scripts/display.sh
start_display
virtual=${_tvl_xvfb_pid:+yes}
echo "Display $DISPLAY${virtual:+ (virtual)}."

wine() { scripts/wine-run.sh "$winedir" "$@" </dev/null >/dev/null 2>&1; }
# A virtual display has no desktop: there Wine shows one of its own, so that
# the whole-screen picture looks like a Windows screen. (Without a window
# manager, Wine does not keep a topmost window above other programs' windows;
# the example therefore opens its large windows after the picture is taken.)
if [ -n "$virtual" ]; then
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Tarvoline /f
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Tarvoline /d 1280x1024 /f
else
  wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f || true
fi

cleanup() {
  # On the virtual display nobody can close the started programs: end them.
  [ -n "$virtual" ] && WINEPREFIX=$winedir/prefix wineserver -k 2>/dev/null
  stop_display
}
trap cleanup EXIT

echo "Starting Tarvoline on $run/Startup.pmw ..."
scripts/wine-run.sh "$winedir" "$run/Tarvoline.exe" &
tarvoline=$!

# The window's X id, once it is mapped.
window=""
for _ in $(seq 1 120); do
  window=$(xwininfo -root -tree 2>/dev/null | awk '/\("tarvoline.exe"/ && $0 !~ /1x1\+/ {print $1; exit}')
  [ -n "$window" ] && break
  sleep 0.5
done

shot=$run/tarvoline.png
if [ -z "$window" ]; then
  echo "The window did not appear." >&2
else
  # Photograph the run while it is under way: a second after the caption
  # names the fourth item, or after 40 s whatever the processor load.
  for _ in $(seq 1 80); do
    name=$(xwininfo -id "$window" 2>/dev/null | sed -n 's/^xwininfo: Window id: [^"]*"\(.*\)"$/\1/p')
    case "$name" in *winver*) sleep 1; break ;; esac
    kill -0 "$tarvoline" 2>/dev/null || break
    sleep 0.5
  done
  if import -window "$window" "$shot" 2>/dev/null; then
    import -window root "$run/screen.png" 2>/dev/null || true
    echo "Screenshot of the running window: $shot (whole screen: $run/screen.png)"
  else
    echo "Could not take a screenshot: the run had already ended." >&2
  fi
fi

wait "$tarvoline" || true
echo "Tarvoline has started the last item and ended."
echo "Settings written by the program: $run/Tarvoline.ini"
