#!/usr/bin/env bash
# Registering a card through the real registration window, with a virtual card on the reader.
source "$(dirname "$0")/lib.sh"
printf '\r\n' > "$WORK/使用者データ"   # a shared PC
echo $IDM > "$CARD"
run_at 12:00:00 "$VELMORA"   # the fast clock: the wait after the registration is short
form=$(window '^Velmora 2011\.06\.30$')
click "$form" 48 292   # 設定
settings=$(window '^Felica利用者カード設定$')
click "$settings" 150 24 && xdotool type --delay 30 "Sato, Hanako"
click "$settings" 332 24 && sleep 0.5   # Felica: the card is read, and left on the reader
click "$settings" 284 152   # 登録して終了
retry 5 eval '! shown "^Felica利用者カード設定$" >/dev/null' || fail "the window stays open"
holds 利用者Felica.dat '"0123456789ABCDEF","Sato, Hanako"\r\n'
sleep 1.5   # the wait after the window (five seconds of the program's clock), then fast ticks
holds Velmora.dat ''   # the card that was registered records nothing while it lies there
click "$form" 160 13
ends 0
