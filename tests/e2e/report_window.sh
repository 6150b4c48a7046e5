#!/usr/bin/env bash
# The report's window driven by its keys: two terminals' files added as a folder,
# a month typed, the CSV saved through the folder dialog; both files are the command line's.
source "$(dirname "$0")/lib.sh"
cp "$(dirname "$0")"/../report/data/terminal[12].dat "$WORK"
touch -d 2026-02-01T08:00 "$WORK"/terminal*.dat   # the records' year comes from this time
mkdir "$T/window" "$T/command"
# through KEY TITLE TEXT: the key opens the dialog of that title, which takes the text typed.
through() { xdotool windowfocus "$main" key "$1" && d=$(window "^$2\$") &&
  xdotool sleep 0.5 windowfocus "$d" type --delay 20 "$3" && xdotool sleep 1 key Return sleep 1; }
run "$VELMORA_REPORT"
main=$(window '^Velmora 在校等時間集計$')
through alt+f フォルダを追加 "$WORK"
xdotool windowfocus "$main" key alt+m type --delay 50 202512 && xdotool key Return sleep 1
through alt+c 保存先のフォルダ "$T/window"
"$VELMORA_REPORT" -m 2025-12 -o "$T/command" "$WORK"/terminal[12].dat >/dev/null 2>&1
diff -r "$T/window" "$T/command" || fail "the window saved other CSV files"
