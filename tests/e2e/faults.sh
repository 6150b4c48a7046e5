#!/usr/bin/env bash
# Faults of the machine: each shows one message box, Return closes it, the program ends with
# status 1, the data files are as they were, byte for byte, and the fault is logged under its
# category (velmora.files unless the row names another).
source "$(dirname "$0")/lib.sh"
[ "$(id -u)" = 0 ] || { echo "skipped: only root can start the program as nobody"; exit 77; }
as_nobody() {   # root may write anywhere; nobody has a runtime folder of its own
  install -d -o nobody -m 700 "$T/nobody"
  run XDG_RUNTIME_DIR="$T/nobody" setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"
}
shared() {   # a shared PC, Sato's card registered, a leaving of the day before recorded
  printf '\r\n' > 使用者データ && printf '"%s","Sato"\r\n' $IDM > 利用者Felica.dat
  printf '"Sato","06/30","17:10","\x91\xde"\r\n' > Velmora.dat
}
files() { (cd "$WORK" && find . -printf '%p %M %s %l\n' -type f -exec cat {} +) | md5sum; }
answer() { prompt=$(window '^Velmora$') && type_into "$prompt" "$1"; }   # the first-use prompt
# removed FILE: taken away once the program has read it; the files left must stay as they are.
removed() { window '^Velmora 2011' >/dev/null && sleep 1.2 && rm "$WORK/$1" && before=$(files); }

# Each fault: its files in $WORK (nobody may pass through $T to a read-only one), the start,
# what follows the start, the log's category when not files. Then the card is put on the
# reader.
while IFS='|' read -r fault setup start after category; do
  echo "$fault"
  rm -rf "$WORK" "$CARD" "$T/log" && mkdir "$WORK"
  (cd "$WORK" && eval "$setup")
  before=$(files)
  eval "$start; prompt=0; $after"
  echo $IDM > "$CARD"
  box=$(window '^Velmora$' "$prompt")
  xdotool mousemove --window "$box" 10 10 key Return
  ends 1
  [ "$(files)" = "$before" ] || fail "the data files changed"
  grep -q "^velmora\.${category:-files}: " "$T/log" || fail "not logged"
done <<'EOF'
read-only folder|chmod 711 .. && chmod 555 .|as_nobody "$VELMORA"|answer Sato
no card reader library|shared; mkdir ../bin; cp "$VELMORA" ../bin|run_at 08:07:00 "$T/bin/velmora"||card
registry removed while running|shared|run_at 08:07:00 "$VELMORA"|removed 利用者Felica.dat
EOF
