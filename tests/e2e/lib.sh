# Shared pieces of the tests that drive the real program in a real X server. Each test has its
# own Xvfb and temporary folder $T (the program's working folder $WORK, the virtual card $CARD),
# and ends what it started.

set -euo pipefail
VELMORA=${VELMORA:?path to build/bin/velmora}
need() { for t; do command -v "$t" >/dev/null || { echo "skipped: no $t"; exit 77; }; done; }
need Xvfb xdotool faketime

T=$(mktemp -d)
WORK=$T/work CARD=$T/card IDM=0123456789ABCDEF
mkdir -m 700 "$WORK" "$T/run"
PIDS=()
trap 's=$?; kill "${PIDS[@]}" 2>/dev/null || true; wait; rm -rf "$T"; ((s)) || echo ok' EXIT
fail() {   # what failed, what the program said, which windows it showed
  echo "FAIL: $*"; cat "$T/log"; xdotool search --onlyvisible --name . getwindowname %@; exit 1
} >&2

# retry SECONDS COMMAND...: until the command succeeds, or the time is up.
retry() { local n=$(($1 * 10)); shift; until "$@"; do ((--n)) && sleep 0.1 || return 1; done; }

# -noreset: between two programs the server would reset, and refuse the next one meanwhile.
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi "${DPI:-96}" -nolisten tcp -noreset 3>"$T/display" 2>"$T/xvfb" & PIDS+=($!)
retry 10 test -s "$T/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$T/display")

# run [VAR=value...] COMMAND...: the program in $WORK, its texts at the screen resolution DPI
# (as a desktop's setting gives it, default 96). Its home and runtime folder are in $T,
# and both bus addresses lead nowhere: nothing is written for the user running the tests, no
# session bus is started for them, and no shutdown can go out.
run() {
  (cd "$WORK" && exec env QT_QPA_PLATFORM=xcb QT_FONT_DPI="${DPI:-96}" VELMORA_CARD_FILE="$CARD" HOME="$T" \
    XDG_RUNTIME_DIR="$T/run" DBUS_SESSION_BUS_ADDRESS="unix:path=$T/no-bus" \
    DBUS_SYSTEM_BUS_ADDRESS="unix:path=$T/no-bus" "$@") </dev/null >>"$T/log" 2>&1 &
  VPID=$! && PIDS+=("$VPID")
}

# run_at H:MM:SS[ xN] COMMAND...: as run, on 2026-07-01 from that time on, the clock ten (or N)
# times as fast: the program's waits on the clock pass quickly, its (monotonic) timers keep
# their pace.
run_at() {
  local at=$1 && [[ $at == *x* ]] || at+=" x10"
  run LD_PRELOAD='/usr/$LIB/faketime/libfaketime.so.1' FAKETIME_DONT_FAKE_MONOTONIC=1 \
    FAKETIME="@2026-07-01 $at" "${@:2}"
}

# window NAME-REGEX [ID]: the id of a shown window of that name, other than ID.
window() { retry 20 shown "$@" || fail "no window '$1'"; }
shown() { xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -vxm1 "${2:-0}"; }
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
# through KEY TITLE TEXT: the key, pressed in the window $main, opens the dialog of that title,
# which takes the text typed.
through() { xdotool windowfocus "$main" key "$1" && d=$(window "^$2\$") &&
  xdotool sleep 0.5 windowfocus "$d" type --delay 20 "$3" && xdotool sleep 1 key Return sleep 1; }
type_into() { click "$1" 20 20 && xdotool sleep 0.3 type --delay 30 "$2" && xdotool key Return; }

# ends STATUS: the program ends by itself, with this exit status.
ends() {
  retry 10 eval '! kill -0 $VPID 2>/dev/null' || fail "velmora did not end"
  wait "$VPID" && s=0 || s=$?
  [ "$s" = "$1" ] || fail "velmora ended with $s, not $1"
}

# holds FILE PRINTF-FORMAT...: each file in $WORK holds exactly these bytes.
holds() {
  while (($#)); do
    cmp -s <(printf "$2") "$WORK/$1" || fail "$1 holds $(od -c "$WORK/$1")"
    shift 2
  done
}
