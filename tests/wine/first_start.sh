#!/usr/bin/env bash
# velmora.exe under Wine on Xvfb: the first start in a folder that holds only the card registry
# is answered by typing the owner's name; the owner's card at 8:07 records the arrival 8:05, and
# this personal PC's program ends. WINEPREFIX and VELMORA are absolute paths. SCREENSHOT=file.png
# keeps the window showing the record.
source "$(dirname "$0")/../e2e/lib.sh"
printf '"0123456789ABCDEF","Sato"\r\n' > "$WORK/利用者Felica.dat"
log=("$WINEPREFIX"/drive_c/users/*/AppData/Local/Velmora/velmora.log) && rm -f "${log[@]}"
wine=$(realpath "$(dirname "$0")/../../scripts/wine.sh")
run WINEQT_LOGGING_RULES='velmora.*.info=true' VELMORA_TEST_CLOCK=2026-07-01T08:07:00 VELMORA_CARD_FILE="Z:$CARD" bash "$wine" "${WINEPREFIX:?}" "$VELMORA"
type_into "$(window '^Velmora$')" Sato
form=$(window '^Velmora 2011\.06\.30$')
echo "$IDM" > "$CARD"
# The record shows for five seconds, the program ends five seconds later. Wine puts what the
# program drew on the screen only once it handles events again, after the first five.
retry 20 test -s "$WORK/Velmora.dat" && sleep 6.5 || fail "no record"
[ -z "${SCREENSHOT:-}" ] || import -window "$form" "$SCREENSHOT"
ends 0
holds Velmora.dat '"Sato","07/01","8:05","\x8f\x6f"\r\n' 使用者データ 'Sato\r\n'
# With no standard error on Windows, the log is in the user's local application data too; it
# holds Velmora's own lines only, none of the platform's noise under Wine.
grep -q ' info velmora.card: .*sony_idm.dll' "$WINEPREFIX"/drive_c/users/*/AppData/Local/Velmora/velmora.log ||
  fail "no log file"
! grep -v '^[-0-9T:]* [a-z]* velmora\.[a-z]*: ' "$WINEPREFIX"/drive_c/users/*/AppData/Local/Velmora/velmora.log ||
  fail "the log holds more than Velmora's own lines"
# Through a pipe, as a script asks: the version, the help and a refused option, and the status.
[[ $(bash "$wine" "$WINEPREFIX" "$VELMORA" --version | cat) == "Velmora "[0-9]* ]] || fail "no version"
[[ $(bash "$wine" "$WINEPREFIX" "$VELMORA" --help | cat) == *--try* ]] || fail "no help"
s=0 && said=$(bash "$wine" "$WINEPREFIX" "$VELMORA" --nothing 2>&1 | cat; exit "${PIPESTATUS[0]}") || s=$?
[[ $s == 2 && $said == *--nothing* ]] || fail "a refused option said: $said ($s)"
# The quick start's try without a reader: a folder of the program's own, its first example card
# recorded.
run VELMORA_TEST_CLOCK=2026-07-01T08:07:00 bash "$wine" "$WINEPREFIX" "$VELMORA" --try "Z:$T/try"
retry 60 test -e "$T/try/card.txt" || fail "no try folder"
echo 0123456789ABCDEF > "$T/try/card.txt"
tried() { iconv -f CP932 -t UTF-8 "$T/try/Velmora.dat" 2>/dev/null | grep -q '^"職員A","07/01",'; }
retry 20 tried || fail "the example card recorded nothing"
kill "$VPID" && WINEPREFIX=$WINEPREFIX wineserver -k
# The report started without arguments, as by a double-click or the Start menu, opens its window
# with the installation's data folder (the installer's registry value), which it remembers; a
# program of the desktop, it opens no console beside it.
report=$(dirname "$VELMORA")/velmora-report.exe
[[ $(x86_64-w64-mingw32-objdump -p "$report") == *"(Windows GUI)"* ]] || fail "a console program"
bash "$wine" "$WINEPREFIX" reg add 'HKLM\Software\Velmora' /v DataFolder /d "Z:${WORK//\//\\}" /f /reg:64 >/dev/null
run bash "$wine" "$WINEPREFIX" "$report"
window '^Velmora 在校等時間集計$' >/dev/null
opened() { bash "$wine" "$WINEPREFIX" reg query 'HKCU\Software\Velmora\velmora-report' /v recordFolders | grep -qF "${WORK#/}"; }
retry 20 opened || fail "the data folder was not opened"
