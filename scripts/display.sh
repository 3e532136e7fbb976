# Sourced: start_display / stop_display manage a virtual X display for Wine's
# windows, unless a display is already given in DISPLAY and reachable.
# start_own_display [Xvfb options...] always starts a display of its own (the
# benchmarks, whose figures must not depend on what else the user's display
# runs).
_tvl_xvfb_pid=""
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  start_own_display
}
start_own_display() {
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp "$@" 3>"$fdfile" >/dev/null 2>&1 &
  _tvl_xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
}
stop_display() {
  [ -n "$_tvl_xvfb_pid" ] && kill "$_tvl_xvfb_pid" 2>/dev/null
  _tvl_xvfb_pid=""
}
