#!/usr/bin/env bash
# A registered card on the reader at a chosen time of day records exactly one arrival, or
# exactly one leaving, however long it lies there.
source "$(dirname "$0")/lib.sh"
command -v faketime >/dev/null || { echo "skipped: faketime is not installed"; exit 77; }
start_x
printf '\r\n' > "$WORK/使用者データ"          # a shared PC: the program stays open
printf '"0123456789ABCDEF","Sato"\r\n' > "$WORK/利用者Felica.dat"
CARD="$WORK.card"
echo "0123456789ABCDEF" > "$CARD"

# run_at TIME SECONDS: the program with the card on the reader, started at TIME.
run_at() {
  start_velmora VELMORA_CARD_FILE="$CARD" FAKETIME_DONT_FAKE_MONOTONIC=1 \
    faketime "$1"
  wait_window '^Velmora 2011\.06\.30$' >/dev/null
  sleep "$2"
  kill "$VPID"
  wait "$VPID" 2>/dev/null || true
}

run_at "2026-07-01 08:07:00" 14
# "Sato","07/01","8:05","出" CR LF
expect_bytes "Velmora.dat" "225361746f222c2230372f3031222c22383a3035222c228f6f220d0a"
run_at "2026-07-01 17:07:00" 14
expect_bytes "Velmora.dat" "225361746f222c2230372f3031222c22383a3035222c228f6f220d0a\
225361746f222c2230372f3031222c2231373a3130222c2291de220d0a"
echo "card record: ok"
