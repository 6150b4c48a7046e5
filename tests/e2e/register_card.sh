#!/usr/bin/env bash
# Registering a card through the real registration window, with a virtual card on the reader.
source "$(dirname "$0")/lib.sh"
start_x
printf '\r\n' > "$WORK/使用者データ"          # a shared PC
CARD="$WORK.card"
echo "0123456789ABCDEF" > "$CARD"
start_velmora VELMORA_CARD_FILE="$CARD"

form=$(wait_window '^Velmora 2011\.06\.30$')
click_at "$form" 48 292                         # 設定
settings=$(wait_window '^Felica利用者カード設定$')
click_at "$settings" 150 24                     # the name box
xdotool type --delay 30 "Sato, Hanako"
click_at "$settings" 332 24                     # Felica: reads the card
sleep 0.5
: > "$CARD"                                     # take the card away before the clock runs again
click_at "$settings" 284 152                    # 登録して終了
for _ in $(seq 50); do
  xdotool search --onlyvisible --name '^Felica利用者カード設定$' >/dev/null 2>&1 || break
  sleep 0.1
done
xdotool search --onlyvisible --name '^Felica利用者カード設定$' >/dev/null 2>&1 && fail "window still open"

# "0123456789ABCDEF","Sato, Hanako" CR LF
expect_bytes "利用者Felica.dat" \
  "2230313233343536373839414243444546222c225361746f2c2048616e616b6f220d0a"
expect_bytes "Velmora.dat" ""
sleep 6   # the wait after the window, then the fast tick
kill -0 "$VPID" || fail "velmora ended"
click_at "$form" 160 13
wait_exit 5
echo "register card: ok"
