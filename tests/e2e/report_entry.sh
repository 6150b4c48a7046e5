#!/usr/bin/env bash
# A day's entry through the report's window by its keys: the window opens on the newest
# complete month (December; January is still running), a teacher's first day opened with
# Enter, the writer asked once, a trip written in the dialog. The entry is in 申告.dat beside
# the records, the day counts it, and the CSV saved is the command line's over the same folder.
source "$(dirname "$0")/lib.sh"
cp "$(dirname "$0")"/../report/data/terminal[12].dat "$WORK"
touch -d 2026-02-01T08:00 "$WORK"/*.dat   # the records' year comes from this time
mkdir "$T/window" "$T/command"
run "$VELMORA_REPORT"
main=$(window '^Velmora 在校等時間集計$')
through alt+f フォルダを追加 "$WORK"
# Into the summary, Enter on 佐藤　花子 (the second row) opens her days, Enter again her first
# day, 2025-12-01, a Monday.
xdotool windowfocus "$main" key alt+v Tab Tab Down Return sleep 0.5 key Return
writer=$(window '^記入者$')
xdotool sleep 0.5 windowfocus "$writer" type --delay 20 kyoto && xdotool key Return
entry=$(window '^申告の記入$')
# The kind is focused, 出張 first: the start, the end and the reason, Enter for OK.
xdotool sleep 0.5 windowfocus "$entry" key Tab type --delay 20 8:30 && xdotool key Tab &&
  xdotool type --delay 20 17:00 && xdotool key Tab && xdotool type --delay 20 kenshu &&
  xdotool key Return sleep 2
! shown '^申告の記入$' >/dev/null || fail "the entry's dialog stayed open"
iconv -f CP932 -t UTF-8 "$WORK/申告.dat" |
  grep -q '^"20[0-9-]* [0-9:]*","kyoto","佐藤　花子","2025-12-01","出張","8:30","17:00","kenshu"'$'\r$' ||
  fail "申告.dat holds $(od -c "$WORK/申告.dat")"
through alt+c 保存先のフォルダ "$T/window"
day=$(grep '^佐藤　花子,2025-12-01,' "$T/window/在校等時間_2025-12.csv" | tr -d '\r')
[[ $day == *,7:45,*出張* ]] || fail "the day's line is $day"
"$VELMORA_REPORT" -m 2025-12 -o "$T/command" "$WORK"/terminal[12].dat >/dev/null 2>&1
diff -r "$T/window" "$T/command" || fail "the window saved other CSV files"
