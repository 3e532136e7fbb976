#!/usr/bin/env python3
"""cputime.py OUT COMMAND [ARGS...]

Runs COMMAND and writes the processor time it used to OUT as one line,
"user_seconds system_seconds peak_kib", from the kernel's own count of the
process (and of the children it waited for), to the microsecond: sampling
/proc would lose the last moments before the end, and count in 10 ms steps.
Exits with COMMAND's exit code.
"""
import os
import sys

out, command = sys.argv[1], sys.argv[2:]
pid = os.fork()
if pid == 0:
    try:
        os.execvp(command[0], command)
    finally:
        os._exit(127)
_, status, usage = os.wait4(pid, 0)
with open(out, "w", encoding="ascii") as f:
    f.write(f"{usage.ru_utime:.6f} {usage.ru_stime:.6f} {usage.ru_maxrss}\n")
sys.exit(os.waitstatus_to_exitcode(status))
