# Shared pieces of the tests that drive the real program in a real X server.
# Each test gets its own Xvfb, its own temporary working folder and kills what it started.

set -euo pipefail

VELMORA=${VELMORA:?path to build/bin/velmora}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

WORK=$(mktemp -d)
PIDS=()
cleanup() {
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK" "$WORK".*
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "--- velmora's output:" >&2
  cat "$WORK.log" >&2 2>/dev/null || true
  echo "--- windows shown:" >&2
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    xdotool getwindowname "$id" >&2 || true
  done
  exit 1
}

# Xvfb picks a free display itself and writes its number once it accepts connections.
start_x() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK.display" 2>"$WORK.xvfb" &
  PIDS+=($!)
  for _ in $(seq 100); do
    [ -s "$WORK.display" ] && break
    sleep 0.1
  done
  [ -s "$WORK.display" ] || { cat "$WORK.xvfb" >&2; fail "Xvfb did not start"; }
  export DISPLAY=":$(head -n 1 "$WORK.display")"
}

# start_velmora [env assignments...]: starts the program in $WORK, sets VPID.
start_velmora() {
  (cd "$WORK" && exec env QT_QPA_PLATFORM=xcb "$@" "$VELMORA") >"$WORK.log" 2>&1 &
  VPID=$!
  PIDS+=("$VPID")
}

# wait_window NAME-REGEX [seconds]: prints the window id once it is shown.
wait_window() {
  local id
  for _ in $(seq $(( ${2:-10} * 10 ))); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  fail "window '$1' did not appear"
}

# click_at WINDOW X Y: a left click at a point of the window's client area.
click_at() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

type_into() {
  xdotool mousemove --window "$1" 20 20 click 1
  sleep 0.3
  xdotool type --delay 30 "$2"
  xdotool key Return
}

# wait_exit [seconds]: the program has ended by itself.
wait_exit() {
  for _ in $(seq $(( ${1:-10} * 10 ))); do
    kill -0 "$VPID" 2>/dev/null || return 0
    sleep 0.1
  done
  fail "velmora did not end"
}

# expect_bytes FILE HEX: the file holds exactly these bytes.
expect_bytes() {
  local got
  got=$(od -An -tx1 -v "$WORK/$1" | tr -d ' \n')
  [ "$got" = "$2" ] || fail "$1 holds $got, expected $2"
}
