#!/usr/bin/env bash
# velmora.exe under Wine on Xvfb: the first start in a folder that holds only the card registry
# is answered by typing the owner's name; the owner's card at 8:07 records the arrival 8:05, and
# this personal PC's program ends. WINEPREFIX and VELMORA are absolute paths. SCREENSHOT=file.png
# keeps the window showing the record.
source "$(dirname "$0")/../e2e/lib.sh"
printf '"0123456789ABCDEF","Sato"\r\n' > "$WORK/利用者Felica.dat"
log=("$WINEPREFIX"/drive_c/users/*/AppData/Local/Velmora/velmora.log) && rm -f "${log[@]}"
run WINEQT_LOGGING_RULES='velmora.*.info=true' VELMORA_TEST_CLOCK=2026-07-01T08:07:00 VELMORA_CARD_FILE="Z:$CARD" bash "$(realpath "$(dirname "$0")/../../scripts/wine.sh")" "${WINEPREFIX:?}" "$VELMORA"
type_into "$(window '^Velmora$')" Sato
form=$(window '^Velmora 2011\.06\.30$')
echo "$IDM" > "$CARD"
# The record shows for five seconds, the program ends five seconds later. Wine puts what the
# program drew on the screen only once it handles events again, after the first five.
retry 20 test -s "$WORK/Velmora.dat" && sleep 6.5 || fail "no record"
[ -z "${SCREENSHOT:-}" ] || import -window "$form" "$SCREENSHOT"
ends 0
holds Velmora.dat '"Sato","07/01","8:05","\x8f\x6f"\r\n' 使用者データ 'Sato\r\n'
# With no standard error on Windows, the log is in the user's local application data too.
grep -q ' info velmora.card: .*sony_idm.dll' "$WINEPREFIX"/drive_c/users/*/AppData/Local/Velmora/velmora.log ||
  fail "no log file"
# The report started without arguments, as by a double-click, opens its window; a program of
# the desktop, it opens no console beside it.
report=$(dirname "$VELMORA")/velmora-report.exe
[[ $(x86_64-w64-mingw32-objdump -p "$report") == *"(Windows GUI)"* ]] || fail "a console program"
run bash "$(realpath "$(dirname "$0")/../../scripts/wine.sh")" "$WINEPREFIX" "$report"
window '^Velmora 在校等時間集計$' >/dev/null
