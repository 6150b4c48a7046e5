#!/usr/bin/env bash
# scripts/screenshots.sh PATH-TO-VELMORA FOLDER: the README's pictures, taken from the real
# program in an Xvfb of its own. Each picture gets a fresh temporary working folder, a
# clock set by libfaketime and a virtual card file; the program is ended after each one.
#
#   terminal-shared.png    a shared PC, idle at 9:05
#   terminal-personal.png  a teacher's own PC just started (before the first clock tick,
#                          which clears the owner's name when no card lies on the reader)
#   terminal-record.png    a shared PC just after a card recorded an arrival at 8:05
#   terminal-leaving.png   the same after a leaving at 17:10
#   registration.png       "Felica利用者カード設定" with a name typed and a card read
#   time-panel.png         "時間の入力", opened by a click on the clock at 9:05
#
# and from velmora-report beside it, on four months of five teachers' records (demo_records):
#
#   report-window.png          the window: the summary of July 2026
#   report-window-teacher.png  the window: one teacher's days
#   report-progress.png        the window reading slowly: its progress dialog
#   report-pdf-summary.png     page 1 of the PDF, the school's summary
#   report-pdf-teacher.png     a teacher's page of the PDF
#   report-pdf-changes.png     that teacher's record of changes, the page after
#   report-window-staff.png    the window's staff list
#   report-window-entry.png    the window's dialog of a day's entries
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: $0 path/to/velmora output-folder" >&2; exit 2; }
for tool in Xvfb xdotool import convert strace pdftoppm iconv; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/setup.sh" >&2; exit 1; }
done
# The library itself rather than the faketime wrapper, which forks: killing the wrapper
# would leave the program running.
FAKETIME_LIB=$(dpkg -L libfaketime 2>/dev/null | grep '/libfaketime\.so\.1$' | head -n 1 || true)
[ -n "$FAKETIME_LIB" ] || { echo "libfaketime is missing: run scripts/setup.sh" >&2; exit 1; }

OUT=$(realpath -m "$2")
TMP=$(mktemp -d)
XPID=""
VPID=""
cleanup() {
  if [ -n "$VPID" ]; then pkill -P "$VPID" 2>/dev/null || true; kill "$VPID" 2>/dev/null || true; fi
  if [ -n "$XPID" ]; then kill "$XPID" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$TMP"
}
trap cleanup EXIT

# A copy of its own, so that a rebuild meanwhile cannot change the program under us; the
# card reader library is looked for beside the program.
mkdir "$TMP/bin"
cp "$1" "$TMP/bin/velmora"
cp "$(dirname "$1")/libsony_idm.so" "$(dirname "$1")/velmora-report" "$TMP/bin/"
VELMORA="$TMP/bin/velmora"
mkdir -p "$OUT"

fail() {
  echo "screenshots: $*" >&2
  [ -s "$TMP/velmora.log" ] && { echo "--- velmora's output:" >&2; cat "$TMP/velmora.log" >&2; }
  exit 1
}

# Xvfb picks a free display itself and writes its number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi "${DPI:-96}" -nolisten tcp -noreset 3>"$TMP/display" 2>"$TMP/xvfb.log" &
XPID=$!
for _ in $(seq 100); do
  [ -s "$TMP/display" ] && break
  sleep 0.1
done
[ -s "$TMP/display" ] || { cat "$TMP/xvfb.log" >&2; fail "Xvfb did not start"; }
DISPLAY=":$(head -n 1 "$TMP/display")"
export DISPLAY

TERMINAL='^Velmora 2011\.06\.30$'
# Regions of the terminal window and the colours drawn there.
CLOCK_AREA=257x57+32+72   # the big clock
NAME_AREA=209x41+56+144   # the user's name
CYAN='#80FFFF'            # the clock's text
GREEN='#80FF80'           # the name's text
NAME_BOX=185x25+100+12    # inside the registration window's name box
SHARED_PC=$'\r\n'
OWNER=$'\x90\x45\x88\xf5\x41\r\n'   # 職員A in CP932
CARD=0123456789ABCDEF

# fresh_folder OWNER-LINE REGISTRY-LINES CARD-IDM: a new working folder, made current in
# $WORK, and the card file ("" = no card on the reader).
fresh_folder() {
  WORK=$(mktemp -d "$TMP/work.XXXX")
  printf '%s' "$1" >"$WORK/使用者データ"
  : >"$WORK/Velmora.dat"
  printf '%s' "$2" >"$WORK/利用者Felica.dat"
  if [ -n "$3" ]; then printf '%s\n' "$3"; fi >"$WORK.card"
}

# start_at TIME: the program in $WORK with its clock starting at TIME; sets VPID.
start_at() {
  (cd "$WORK" && exec env QT_QPA_PLATFORM=xcb VELMORA_CARD_FILE="$WORK.card" \
    LD_PRELOAD="$FAKETIME_LIB" FAKETIME="@2026-07-01 $1" FAKETIME_DONT_FAKE_MONOTONIC=1 \
    "$VELMORA") >"$TMP/velmora.log" 2>&1 &
  VPID=$!
}

stop() {
  pkill -P "$VPID" 2>/dev/null || true # the program, when strace started it
  kill "$VPID" 2>/dev/null || true
  wait "$VPID" 2>/dev/null || true
  VPID=""
}

# wait_window NAME-REGEX: prints the window's id once it is shown.
wait_window() {
  local id
  for _ in $(seq 100); do
    kill -0 "$VPID" 2>/dev/null || fail "velmora ended before '$1' showed"
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  fail "window '$1' did not appear"
}

# shows PICTURE AREA COLOUR: the area of the picture holds pixels of exactly that colour.
shows() {
  [ "$(convert "$1" -crop "$2" +repage -fill black +opaque "$3" -format '%[fx:maxima.g>0]' info:)" = 1 ]
}

# grab_when WINDOW PICTURE CONDITION...: grabs the window until the condition, run with the
# picture's path appended, holds (10 s at most).
grab_when() {
  local window=$1 picture=$2
  shift 2
  for _ in $(seq 50); do
    import -window "$window" "$picture"
    "$@" "$picture" && return 0
    sleep 0.2
  done
  fail "$(basename "$picture") never showed what it should"
}

clock_shown() { shows "$1" "$CLOCK_AREA" "$CYAN"; }
name_shown() { shows "$1" "$NAME_AREA" "$GREEN"; }
name_before_clock() { name_shown "$1" && ! clock_shown "$1"; }

click_at() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

# A shared PC, idle: started at 9:05:02 so that the first tick shows 9:05:03.
fresh_folder "$SHARED_PC" "" ""
start_at 09:05:02
form=$(wait_window "$TERMINAL")
grab_when "$form" "$OUT/terminal-shared.png" clock_shown
stop

# A teacher's own PC, just started: the owner's name shows until the first tick. Should the
# tick come first (a very slow start), the program is started again.
for try in 1 2 3; do
  fresh_folder "$OWNER" "" ""
  start_at 17:07:42
  form=$(wait_window "$TERMINAL")
  for _ in $(seq 20); do
    import -window "$form" "$TMP/personal.png"
    name_shown "$TMP/personal.png" && break
    sleep 0.05
  done
  stop
  name_before_clock "$TMP/personal.png" && break
  [ "$try" = 3 ] && fail "terminal-personal.png: the owner's name never showed alone"
done
cp "$TMP/personal.png" "$OUT/terminal-personal.png"

# A record just written: 職員A's card on the reader of a shared PC at 8:07:10 records an
# arrival at 8:05, and at 17:07:10 a leaving at 17:10 (drawn smaller to fit whole), each
# shown for five seconds.
for shot in 08:07:09:terminal-record 17:07:09:terminal-leaving; do
  fresh_folder "$SHARED_PC" "\"$CARD\",\"$(printf '\x90\x45\x88\xf5\x41')\""$'\r\n' "$CARD"
  [ "${shot%%:*}" = 17 ] && printf '"\x90\x45\x88\xf5\x41","07/01","8:05","\x8f\x6f"\r\n' > "$WORK/Velmora.dat"
  before=$(wc -l <"$WORK/Velmora.dat")
  start_at "${shot:0:8}"
  form=$(wait_window "$TERMINAL")
  for _ in $(seq 50); do
    [ "$(wc -l <"$WORK/Velmora.dat")" -gt "$before" ] && break
    sleep 0.1
  done
  [ "$(wc -l <"$WORK/Velmora.dat")" -gt "$before" ] || fail "${shot:9}.png: no record was written"
  sleep 0.5 # the record is written just before it is drawn
  import -window "$form" "$OUT/${shot:9}.png"
  stop
done

# Registering a card: 設定, the name typed, the card read with "Felica", and the focus taken
# back to the name box as Shift+Tab does, which selects the name.
fresh_folder "$SHARED_PC" "" "$CARD"
start_at 09:05:02
form=$(wait_window "$TERMINAL")
click_at "$form" 48 292                      # 設定
settings=$(wait_window '^Felica利用者カード設定$')
click_at "$settings" 150 24                  # the name box
xdotool type --delay 50 "職員A"
click_at "$settings" 332 24                  # Felica: reads the card
sleep 0.5
xdotool key shift+Tab
xdotool mousemove 1023 767                   # off the windows: no button drawn as hovered
sleep 0.5
# The name box's cursor blinks. It is drawn inverted over the blue of the selected name, so
# of a few grabs over more than one blink, the one with the fewest blue pixels in the box
# has it shown.
best=""
for i in 1 2 3 4 5 6 7; do
  import -window "$settings" "$TMP/registration-$i.png"
  blue=$(convert "$TMP/registration-$i.png" -crop "$NAME_BOX" +repage \
    -fx 'b > r + 0.25' -format '%[fx:round(mean*w*h)]' info:)
  if [ -z "$best" ] || [ "$blue" -lt "$best" ]; then
    best=$blue
    cp "$TMP/registration-$i.png" "$OUT/registration.png"
  fi
  sleep 0.2
done
stop

# The time panel: a click on the clock asks for a time, starting from the clock's 9:05.
fresh_folder "$SHARED_PC" "" ""
start_at 09:05:02
form=$(wait_window "$TERMINAL")
grab_when "$form" "$TMP/idle.png" clock_shown
click_at "$form" 160 100                     # the clock
panel=$(wait_window '^時間の入力$')
xdotool mousemove 1023 767
sleep 0.5
import -window "$panel" "$OUT/time-panel.png"
stop

# demo_records FOLDER: April to July 2026 of five teachers and the first days of August,
# each teacher later than the one before: the staff room's terminal on weekdays, the gym's on
# Saturdays (two teachers' club activities), 高橋 also on the holiday of 7/20 and without her
# leaving of 7/8; every time rounded as the terminal rounds it, the files in CP932 with CR LF,
# dated 2026-08-03. Beside them the school's files: 鈴木 part-time, a Saturday class, and
# 高橋's entries for July (her forgotten leaving, a trip entered on the wrong day and
# cancelled, telework, an hour of leave).
demo_records() {
  local names=(伊藤　健 山田　太郎 渡辺　陽子 鈴木　一郎 高橋　美咲) leave=(1045 1085 1125 1175 1235)
  local i t md wd terminal
  hm() { printf '%d:%02d' $(($1 / 60)) $(($1 % 60)); }
  line() { printf '"%s","%s","%s","%s"\r\n' "${names[$1]}" "$md" "$(hm "$2")" "$3"; }
  for i in $(seq 0 124); do
    read -r md wd < <(date -d "2026-04-01 +$i day" '+%m/%d %u')
    terminal=職員室 && [ "$wd" = 6 ] && terminal=体育館
    if [ "$md" = 07/20 ]; then
      line 4 470 出 && line 4 1165 退
    elif [ "$wd" = 6 ]; then
      line 3 510 出 && line 4 510 出 && line 3 750 退 && line 4 780 退
    elif [ "$wd" -lt 6 ] && [[ ! $md =~ ^(04/29|05/04|05/05|05/06)$ ]]; then
      for t in 0 1 2 3 4; do line $t $((470 + (i + t) % 3 * 5)) 出; done
      for t in 0 1 2 3 4; do
        [ "$md/$t" = 07/08/4 ] || line $t $((leave[t] + (i * 3 + t * 7) % 9 * 5 - 20)) 退
      done
    fi >>"$1/$terminal.utf8"
  done
  for f in "$1"/*.utf8; do iconv -f UTF-8 -t CP932 "$f" >"${f%.utf8}.dat" && rm "$f"; done
  local who='"教頭","高橋　美咲"' cp932=(iconv -f UTF-8 -t CP932)
  printf '%s\r\n' 氏名,月,火,水,木,金,開始日,終了日 '鈴木　一郎,6:00,6:00,0:00,6:00,6:00,2026-04-01,' |
    "${cp932[@]}" >"$1/職員.csv"
  printf '%s\r\n' 日付,勤務時間,名称 2026-07-18,7:45,土曜授業 | "${cp932[@]}" >"$1/年間予定.csv"
  printf '%s\r\n' "\"2026-07-09 08:15\",$who,\"2026-07-08\",\"退訂正\",\"\",\"18:30\",\"退勤の記録漏れ\"" \
    "\"2026-07-10 16:02\",$who,\"2026-07-13\",\"出張\",\"13:00\",\"17:30\",\"市教委研修会\"" \
    "\"2026-07-13 08:40\",$who,\"2026-07-13\",\"出張取消\",\"\",\"\",\"日付の誤り（14日）\"" \
    "\"2026-07-13 08:41\",$who,\"2026-07-14\",\"出張\",\"13:00\",\"17:30\",\"市教委研修会\"" \
    "\"2026-07-16 09:30\",$who,\"2026-07-15\",\"在宅\",\"21:00\",\"22:00\",\"成績処理\"" \
    "\"2026-07-22 12:00\",\"事務長\",\"高橋　美咲\",\"2026-07-21\",\"休暇\",\"16:00\",\"17:00\",\"時間休\"" |
    "${cp932[@]}" >"$1/申告.dat"
  touch -d 2026-08-03T18:00 "$1"/[体職]*.dat
}

# start_report [WRAPPER...]: velmora-report's window, its home in $TMP; sets VPID.
start_report() {
  (cd "$TMP" && exec env QT_QPA_PLATFORM=xcb HOME="$TMP" XDG_RUNTIME_DIR="$TMP/run" \
    "$@" "$TMP/bin/velmora-report") >"$TMP/velmora.log" 2>&1 &
  VPID=$!
}

# through WINDOW KEY TITLE TEXT: the key opens the dialog of that title, which takes the text.
through() {
  xdotool windowfocus "$1" key "$2"
  local dialog
  dialog=$(wait_window "^$3\$")
  xdotool sleep 0.5 windowfocus "$dialog" type --delay 20 "$4"
  xdotool sleep 1 key Return sleep 1
}

RECORDS="$TMP/records"
mkdir -p "$RECORDS" "$TMP/run"
chmod 700 "$TMP/run"
demo_records "$RECORDS"
red_shown() {   # a flag in the table
  [ "$(convert "$1" -crop 700x440+10+150 +repage -fill black +opaque '#FF0000' -format '%[fx:maxima.r>0]' info:)" = 1 ]
}

# The window: the folder added, the newest complete month shown, then the last teacher of
# the list, her day of 7/14 with its entries, and the staff list.
start_report
report=$(wait_window '^Velmora 在校等時間集計$')
through "$report" alt+f フォルダを追加 "$RECORDS"
xdotool mousemove 1023 767
grab_when "$report" "$OUT/report-window.png" red_shown
xdotool windowfocus "$report" key alt+v key End sleep 1
import -window "$report" "$OUT/report-window-teacher.png"
xdotool windowfocus "$report" key Tab sleep 0.3 key Home sleep 0.2
for _ in $(seq 13); do xdotool key Down; done
xdotool key Return
writer=$(wait_window '^記入者$')
xdotool sleep 0.5 windowfocus "$writer" type --delay 20 教頭
xdotool sleep 0.5 key Return
entry=$(wait_window '^申告の記入$')
sleep 1
import -window "$entry" "$OUT/report-window-entry.png"
xdotool windowfocus "$entry" key Escape sleep 0.5
xdotool windowfocus "$report" key alt+2 sleep 1
import -window "$report" "$OUT/report-window-staff.png"
stop

# Its progress: every read at an offset (a block of a record file) made slow by strace (a
# file server far away), and 3 MB of blank lines after the records, where the report's
# backward reading starts, 46 blocks: the dialog shows after a second, and the picture is
# taken a moment later.
printf '%3000000s' '' | tr ' ' '\n' | cat "$RECORDS/職員室.dat" - >"$TMP/padded"
mv "$TMP/padded" "$RECORDS/職員室.dat"
touch -d 2026-08-03T18:00 "$RECORDS/職員室.dat"
start_report strace -f -qq -o /dev/null -e trace=pread64 -e inject=pread64:delay_exit=60ms
report=$(wait_window '^Velmora 在校等時間集計$')
through "$report" alt+f フォルダを追加 "$RECORDS"
for _ in $(seq 100); do   # the dialog, a second window of the same title
  xdotool search --onlyvisible --name '^Velmora 在校等時間集計$' | grep -qvx "$report" && break
  sleep 0.1
done
sleep 0.8
import -window root -crop "$(xdotool getwindowgeometry "$report" | awk '/Geometry/ {print $2}')+0+0" \
  "$OUT/report-progress.png"
stop

# The PDF's first page, the last teacher's page and her record of changes.
HOME="$TMP" "$TMP/bin/velmora-report" -m 2026-07 -f pdf -o "$TMP" "$RECORDS"/[体職]*.dat >/dev/null
pdftoppm -r 72 -png -f 1 -l 1 -singlefile "$TMP/在校等時間_2026-07.pdf" "$OUT/report-pdf-summary"
pdftoppm -r 72 -png -f 6 -l 6 -singlefile "$TMP/在校等時間_2026-07.pdf" "$OUT/report-pdf-teacher"
pdftoppm -r 72 -png -f 7 -l 7 -singlefile "$TMP/在校等時間_2026-07.pdf" "$OUT/report-pdf-changes"

echo "wrote $OUT/terminal-shared.png terminal-personal.png terminal-record.png terminal-leaving.png registration.png time-panel.png report-window.png report-window-teacher.png report-progress.png report-pdf-summary.png report-pdf-teacher.png report-pdf-changes.png report-window-staff.png report-window-entry.png"
