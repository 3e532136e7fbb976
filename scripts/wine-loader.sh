# Sourced: which Wine loader runs the programs here. Debian's `wine` starts
# the 32-bit loader whenever wine32 is installed, but some kernels (virtual
# machines built without IA-32 emulation) cannot execute any 32-bit program:
# there the 64-bit loader runs the x64 programs, and the x86 build can be
# made but not run (tvl_runs_32bit tells which).
tvl_runs_32bit() { [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; }
if [ -z "${TVL_WINE:-}" ]; then
  if [ -x /usr/lib/wine/wine64 ] && ! tvl_runs_32bit; then
    TVL_WINE=/usr/lib/wine/wine64
    export WINELOADER=/usr/lib/wine/wine64
  else
    TVL_WINE=wine
  fi
fi
