#!/usr/bin/env bash
# Only what was meant is recorded: a card that answered the name prompt rests on the reader,
# the empty reader is nobody's card, the time panel is left only by OK, and clicks made while
# a result shows are dropped.
source "$(dirname "$0")/lib.sh"
in='"Sato","07/01","8:00","\x8f\x6f"\r\n' stale='"Sato","06/30","8:00","\x8f\x6f"\r\n'
card() { echo $IDM > "$CARD"; }
panel_ok() {   # Escape leaves the panel where it is; only OK closes it
  p=$(window '^時間の入力$') && click "$p" 20 20 && xdotool key Escape sleep 0.5
  shown '^時間の入力$' >/dev/null || fail "the panel closed without OK"
  click "$p" 268 136
}
clicks() {   # ten on 退勤 and ten on 出勤 while the arrival's result shows
  retry 10 grep -q 8:05 "$WORK/Velmora.dat" || fail "no arrival"
  xdotool mousemove --window "$f" 236 238 click --repeat 10 --delay 20 1 \
    mousemove --window "$f" 90 238 click --repeat 10 --delay 20 1 sleep 5
}

# what | start | Velmora.dat | 利用者Felica.dat | what is done | Velmora.dat then
while IFS='|' read -r what start records registry steps expected; do
  echo "$what" && rm -rf "$WORK" "$CARD" && mkdir "$WORK"
  printf '\r\n' > "$WORK/使用者データ" && printf "$records" > "$WORK/Velmora.dat"
  printf "$registry" > "$WORK/利用者Felica.dat"
  run_at "$start" "$VELMORA" && f=$(window '^Velmora 2011\.06\.30$')
  eval "$steps"
  sleep 4   # a few clock ticks with the card still lying there
  holds Velmora.dat "$expected"
  kill "$VPID" && wait "$VPID" || true
done <<EOF
the prompt's card at 11:02|11:02:00 x2|$in|"$IDM","Sato"\r\n|click \$f 236 238; sleep 0.2; card|$in"Sato","07/01","11:05","\x91\xde"\r\n
the prompt's card at 17:07|17:07:00 x2|$in|"$IDM","Sato"\r\n|click \$f 236 238; sleep 0.2; card|$in"Sato","07/01","17:10","\x91\xde"\r\n
no card, a registration without IDm|17:07:00|$in|"","Nobody"\r\n|sleep 2|$in
Escape on the panel|08:07:00|$stale|"$IDM","Sato"\r\n|card; panel_ok|$stale"Sato","06/30","00:00","\x91\xde"\r\n"Sato","07/01","8:05","\x8f\x6f"\r\n
clicks during a result|08:07:00 x1||"$IDM","Sato"\r\n|card; clicks|"Sato","07/01","8:05","\x8f\x6f"\r\n
EOF
