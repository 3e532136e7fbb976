#!/usr/bin/env bash
# Screenshots of the four programs under Wine, in Japanese and in English,
# for the README: docs/screenshots/<program>-<ja|en>.png, and TVLeditor's
# Log-on tab drawing the example's run just recorded (tvleditor-logon-*.png).
# Builds the Windows programs when needed and uses a virtual display of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# Only the pictures need a key pressed in a window (xdotool): the tests do without.
bash scripts/setup.sh xdotool
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target Tarvoline TVLpreparer TVLTool TVLeditor
build=$root/build/windows
out=$root/docs/screenshots
mkdir -p "$out"

source scripts/display.sh
unset DISPLAY
start_display
trap stop_display EXIT

# The largest mapped X window of a program (its main window), by its name.
window_of() {
  xwininfo -root -tree 2>/dev/null |
    awk -v exe="(\"$1\"" 'index($0, exe) {
      if (match($0, /[0-9]+x[0-9]+\+/)) { split(substr($0, RSTART, RLENGTH - 1), s, "x");
        if (s[1] * s[2] > best) { best = s[1] * s[2]; id = $1 } } }
      END { if (id) print id }'
}
wait_window() {
  local id=""
  for _ in $(seq 1 120); do
    id=$(window_of "$1")
    [ -n "$id" ] && break
    sleep 0.5
  done
  echo "$id"
}
caption_of() { xwininfo -id "$1" 2>/dev/null | sed -n 's/^xwininfo: Window id: [^"]*"\(.*\)"$/\1/p'; }

for lang in ja en; do
  case $lang in ja) locale=ja_JP.UTF-8 ;; *) locale=en_US.UTF-8 ;; esac
  export TVL_UI_LOCALE=$locale
  dir=$root/build/screenshots/$lang
  run=$dir/run
  rm -rf "$run"
  mkdir -p "$run"
  cp "$build/sequencer/Tarvoline.exe" "$build/wizard/TVLpreparer.exe" "$build/droptool/TVLTool.exe" \
     "$build/editor/TVLeditor.exe" \
     sequencer/demo/Startup.pmw sequencer/demo/Tarvoline.ini "$run/"
  wine() { scripts/wine-run.sh "$dir" "$@" </dev/null >/dev/null 2>&1; }
  # A desktop of Wine's own: the virtual display has none.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Tarvoline /f
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Tarvoline /d 1024x768 /f
  stop_all() { WINEPREFIX=$dir/prefix wineserver -k 2>/dev/null || true; sleep 1; }

  # Tarvoline, photographed while it starts the fourth item of the example,
  # then left to finish the run and record its timeline.
  scripts/wine-run.sh "$dir" "$run/Tarvoline.exe" </dev/null >/dev/null 2>&1 &
  tarvoline=$!
  id=$(wait_window tarvoline.exe)
  for _ in $(seq 1 80); do
    case "$(caption_of "$id")" in *winver*) sleep 1; break ;; esac
    sleep 0.5
  done
  import -window "$id" "$out/tarvoline-$lang.png"
  for _ in $(seq 1 180); do
    kill -0 "$tarvoline" 2>/dev/null || break
    sleep 0.5
  done
  [ -s "$run/Tarvoline.timeline.txt" ] || echo "screenshots: the run recorded no timeline" >&2
  stop_all

  # The wizard on its first page, and the drop tool.
  scripts/wine-run.sh "$dir" "$run/TVLpreparer.exe" </dev/null >/dev/null 2>&1 &
  id=$(wait_window tvlpreparer.exe)
  sleep 2
  import -window "$id" "$out/tvlpreparer-$lang.png"
  stop_all

  scripts/wine-run.sh "$dir" "$run/TVLTool.exe" </dev/null >/dev/null 2>&1 &
  id=$(wait_window tvltool.exe)
  sleep 2
  import -window "$id" "$out/tvltool-$lang.png"
  stop_all

  # The editor on the example sequence beside it, its first item selected;
  # then Ctrl+Tab twice to its Log-on tab, the run above drawn.
  scripts/wine-run.sh "$dir" "$run/TVLeditor.exe" </dev/null >/dev/null 2>&1 &
  id=$(wait_window tvleditor.exe)
  sleep 2
  import -window "$id" "$out/tvleditor-$lang.png"
  xdotool mousemove --window "$id" 40 40 windowfocus --sync "$id" key ctrl+Tab sleep 0.5 key ctrl+Tab
  sleep 2
  import -window "$id" "$out/tvleditor-logon-$lang.png"
  stop_all
  echo "Screenshots in $lang: $out/*-$lang.png"
done
