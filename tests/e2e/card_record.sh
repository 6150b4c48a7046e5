#!/usr/bin/env bash
# A registered card lying on the reader records exactly one arrival, or exactly one leaving,
# however many times it is read.
source "$(dirname "$0")/lib.sh"
printf '\r\n' > "$WORK/使用者データ"   # a shared PC: the program stays open
printf '"0123456789ABCDEF","Sato"\r\n' > "$WORK/利用者Felica.dat"

# reads N: the card lies on the reader until the program has read it N times, then is taken
# away for one read more, and the program is stopped. Reads are counted as the card file's
# closes after reading.
reads() {
  : > "$T/reads"
  echo $IDM > "$CARD" && read_count "$1" && : > "$CARD" && read_count $(($1 + 1))
  kill "$VPID" && wait "$VPID" || true
}
read_count() {
  timeout 20 bash -c 'until (($(grep -c "^card$" "$0") >= $1)); do sleep 0.02; done' "$T/reads" "$1" || fail "the reader was not read"
}
inotifywait -m -q -e close_nowrite --format %f "$T" >> "$T/reads" & PIDS+=($!)

# The leaving's card lies there after its result has gone back to idle.
run_at 08:07:00 "$VELMORA" && reads 2
run_at 17:07:00 "$VELMORA" && reads 8
holds Velmora.dat '"Sato","07/01","8:05","\x8f\x6f"\r\n"Sato","07/01","17:10","\x91\xde"\r\n'
