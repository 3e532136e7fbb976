#!/usr/bin/env bash
# guard_fixture.sh WINEDIR [N | remove]
# Puts a take-over of N start-up entries (default 50) into the Wine prefix
# WINEDIR/prefix, as the wizard leaves it: N Run values of the user, each
# switched off in the start-up approval data, and the record
# %LOCALAPPDATA%\Tarvoline\SwitchedOff.txt naming them with their command
# lines. Tarvoline's guard then reads every one at each start (approval value
# and Run value), and lists the start-up entries, as on a real PC after a
# take-over; the sequencer benchmark times the first item's decision with
# and without it. "remove" takes the values and the record away again.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
arg=${2:-50}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

# Where the prefix keeps the user's local application data, as a Linux path.
local_app=$(scripts/wine-run.sh "$dir" cmd /c echo %LOCALAPPDATA% </dev/null 2>/dev/null | tr -d '\r' | tail -n1)
case $local_app in
  [A-Za-z]:\\*) ;;
  *) echo "guard_fixture: no LOCALAPPDATA in the prefix ($local_app)" >&2; exit 1 ;;
esac
drive=$(printf '%s' "${local_app:0:1}" | tr 'A-Z' 'a-z')
folder="$dir/prefix/dosdevices/$drive:$(printf '%s' "${local_app:2}" | tr '\\' '/')/Tarvoline"
reg_file="$dir/guard-fixture.reg"

python3 - "$arg" "$reg_file" "$folder" <<'PY'
import os, sys
arg, reg_file, folder = sys.argv[1], sys.argv[2], sys.argv[3]
remove = arg == "remove"
run_key = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run"
approval_key = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
n = 200 if remove else int(arg)  # removal takes every name a fixture may have made
names = [f"TVLGuardBench{i:03d}" for i in range(1, n + 1)]
command = lambda i: f'"C:\\TVLGuardBench\\app{i:03d}.exe" /background'
# Switched off as the wizard writes it: byte 0 with its lowest bit set, then a FILETIME.
off = "03,00,00,00,00,40,c4,8e,66,8f,da,01"
lines = ["Windows Registry Editor Version 5.00", "", f"[{run_key}]"]
for i, name in enumerate(names, 1):
    value = "-" if remove else '"' + command(i).replace("\\", "\\\\").replace('"', '\\"') + '"'
    lines.append(f'"{name}"={value}')
lines += ["", f"[{approval_key}]"]
for name in names:
    lines.append(f'"{name}"=' + ("-" if remove else f"hex:{off}"))
open(reg_file, "wb").write(("\ufeff" + "\r\n".join(lines) + "\r\n").encode("utf-16-le"))
record = os.path.join(folder, "SwitchedOff.txt")
if remove:
    for f in (record, os.path.join(folder, "SeenEntries.txt")):
        if os.path.exists(f):
            os.remove(f)
else:
    os.makedirs(folder, exist_ok=True)
    key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run"
    written = off.replace(",", "").upper()
    body = "".join(f"HKCU\t64\t{key}\t{name}\t-\t{written}\t{command(i)}\r\n" for i, name in enumerate(names, 1))
    open(record, "wb").write(b"TVLpreparer switched-off start-up entries\r\n" + body.encode("ascii"))
PY
scripts/wine-run.sh "$dir" regedit /S "Z:$(printf '%s' "$reg_file" | tr '/' '\\')" </dev/null >/dev/null 2>&1
if [ "$arg" = remove ]; then
  echo "guard fixture removed from $dir/prefix"
else
  echo "guard fixture: $arg switched-off Run values and their record in $folder"
fi
