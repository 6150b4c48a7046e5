#!/usr/bin/env bash
# The report's window driven by its keys: two terminals' files added as a folder,
# a month typed, the CSV saved through the folder dialog; both files are the command line's.
# A third file's lone leaving 76 days late is dated on that assumption: the window lists it.
source "$(dirname "$0")/lib.sh"
cp "$(dirname "$0")"/../report/data/terminal[12].dat "$WORK"
printf '"C","12/01","8:00","\x8f\x6f"\r\n"D","09/16","17:00","\x91\xde"\r\n' >"$WORK/late.dat"
printf '"C","12/01","17:00","\x91\xde"\r\n' >>"$WORK/late.dat"
touch -d 2026-02-01T08:00 "$WORK"/*.dat   # the records' year comes from this time
mkdir "$T/window" "$T/command"
run "$VELMORA_REPORT"
main=$(window '^Velmora 在校等時間集計$')
through alt+f フォルダを追加 "$WORK"
xdotool windowfocus "$main" key alt+m type --delay 50 202512 && xdotool key Return sleep 1
xdotool windowfocus "$main" key alt+w
list=$(window '^確認が必要な行$')
xdotool windowfocus "$list" key Escape
through alt+c 保存先のフォルダ "$T/window"
"$VELMORA_REPORT" -m 2025-12 -o "$T/command" "$WORK"/*.dat >/dev/null 2>&1
diff -r "$T/window" "$T/command" || fail "the window saved other CSV files"
