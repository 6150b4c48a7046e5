#!/usr/bin/env bash
# velmora.exe under Wine on Xvfb: the first start in a folder that holds only the card registry
# is answered by typing the owner's name; the owner's card at 8:07 records the arrival 8:05, and
# this personal PC's program ends. SCREENSHOT=file.png keeps the window showing the record.
source "$(dirname "$0")/../e2e/lib.sh"
wine=$(realpath "$(dirname "$0")/../../scripts/wine.sh") WINEPREFIX=$(realpath "${WINEPREFIX:?}")
printf '"0123456789ABCDEF","Sato"\r\n' > "$WORK/利用者Felica.dat"
run VELMORA_TEST_CLOCK=2026-07-01T08:07:00 VELMORA_CARD_FILE="Z:$CARD" bash "$wine" "$WINEPREFIX" "$(realpath "$VELMORA")"
type_into "$(window '^Velmora$')" Sato
form=$(window '^Velmora 2011\.06\.30$')
echo "$IDM" > "$CARD"
retry 20 test -s "$WORK/Velmora.dat" || fail "no record"
# Wine puts what the program drew on the screen only when it next handles events: after the
# record's five seconds of waiting, while its follow-up waits five more.
[ -z "${SCREENSHOT:-}" ] || { sleep 6.5 && import -window "$form" "$SCREENSHOT"; }
ends 0
holds Velmora.dat '"Sato","07/01","8:05","\x8f\x6f"\r\n' 使用者データ 'Sato\r\n'
