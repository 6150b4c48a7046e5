#!/usr/bin/env bash
# A registered card lying on the reader records exactly one arrival, or exactly one leaving,
# however many times it is read.
source "$(dirname "$0")/lib.sh"
printf '\r\n' > "$WORK/使用者データ"   # a shared PC: the program stays open
printf '"0123456789ABCDEF","Sato"\r\n' > "$WORK/利用者Felica.dat"

# reads N: the program reads the card N times and once more without it, and is stopped. The
# card is a pipe, a fresh one for each read, so that every read is waited for and counted.
reads() {
  for n in $(seq "$1" -1 0); do
    mkfifo "$CARD.next" && mv "$CARD.next" "$CARD"
    ((n)) && card=$IDM || card=
    timeout 20 bash -c 'echo "$1" > "$0"' "$CARD" "$card" || fail "the reader was not read"
  done
  kill "$VPID" && wait "$VPID" || true
}

# Read 2 of the arrival comes after the window went back to idle, and so do reads 7 and 8 of
# the leaving; its reads 2 to 6 come while its result is still shown.
run_at 08:07:00 "$VELMORA" && reads 2
run_at 17:07:00 "$VELMORA" && reads 8
holds Velmora.dat '"Sato","07/01","8:05","\x8f\x6f"\r\n"Sato","07/01","17:10","\x91\xde"\r\n'
