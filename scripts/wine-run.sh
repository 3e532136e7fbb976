#!/usr/bin/env bash
# wine-run.sh WINEDIR PROGRAM [ARGS...]
# Runs a Windows program under Wine in the prefix WINEDIR/prefix, creating
# the prefix on first use. Used by ctest as the cross-compiling emulator and
# by the scripts that run the programs.
set -u
dir=$1; shift
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
export WINEPREFIX="$dir/prefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# A scratch home: Wine links the prefix's Desktop and Documents to $HOME.
export HOME="$dir/home"
mkdir -p "$HOME"
# Japanese ANSI code page (932), the suite's home setting. Wine takes it from
# the locale name even where glibc has no such locale. The interface
# language (GetUserDefaultUILanguage) follows LC_MESSAGES: TVL_UI_LOCALE
# (e.g. en_US.UTF-8) runs the programs in another language, same code page.
unset LC_ALL
export LANG=ja_JP.UTF-8
export LC_MESSAGES=${TVL_UI_LOCALE:-ja_JP.UTF-8}
source "$(dirname "$0")/wine-loader.sh"
wine=$TVL_WINE

{
  flock 9
  if [ ! -f "$WINEPREFIX/.tvl-ready" ] || [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
    # A prefix made before wine32 was installed has no 32-bit side: make it anew.
    rm -rf "$WINEPREFIX"
    "$wine" wineboot -i </dev/null >/dev/null 2>&1 9>&-
    # Japanese text renders only with a CJK font behind the usual UI faces.
    for face in "MS UI Gothic" "ＭＳ Ｐゴシック" "MS PGothic" "ＭＳ ゴシック" "MS Gothic" "Meiryo UI" "Yu Gothic UI"; do
      "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "IPAPGothic" /f \
        </dev/null >/dev/null 2>&1 9>&-
      "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v "$face" /d "IPAPGothic" /f \
        </dev/null >/dev/null 2>&1 9>&-
    done
    # Let the first boot finish completely before any program runs: a program
    # started while it is still settling may fail to start at all.
    wineserver -w 9>&-
    touch "$WINEPREFIX/.tvl-ready"
  fi
  # Start Wine's background services detached from our output: otherwise they
  # inherit ctest's pipe and ctest waits for them after every test.
  "$wine" cmd /c exit </dev/null >/dev/null 2>&1 9>&-
} 9>"$dir/.lock"

# TVL_WINE_TIME=FILE: the program's own processor time and peak memory go
# to FILE (scripts/cputime.py), without the prefix's checks above.
if [ -n "${TVL_WINE_TIME:-}" ]; then
  exec python3 "$(dirname "$0")/cputime.py" "$TVL_WINE_TIME" "$wine" "$@"
fi
exec "$wine" "$@"
