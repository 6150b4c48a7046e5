#!/usr/bin/env bash
# The first start in an empty folder: the owner's name is asked for and typed, the three data
# files are made, Space and Enter press nothing in the fresh window, and the quit button's
# click ends the program. Libraries planted in the data folder and on LD_LIBRARY_PATH are never
# loaded: a Qt library there would stop the start. Without a desktop it says so and ends. A
# try folder records the example card.
source "$(dirname "$0")/lib.sh"
lib=$(dirname "$VELMORA")/libsony_idm.so && mkdir "$T/plant"
cp "$lib" "$WORK/libQt6DBus.so.6" && cp "$lib" "$WORK/" && cp "$lib" "$T/plant/"
run LD_LIBRARY_PATH="$T/plant" QT_LOGGING_RULES=velmora.card.info=true "$VELMORA"
type_into "$(window '^Velmora$')" Sato
form=$(window '^Velmora 2011\.06\.30$')
holds 使用者データ 'Sato\r\n' Velmora.dat '' 利用者Felica.dat ''
xdotool windowfocus --sync "$form" key space Return sleep 1.2   # a tick: the reader is asked
kill -0 "$VPID" || fail "Space or Enter pressed the quit button"
grep -q "library: $lib$" "$T/log" || fail "not the program's own card reader library"
click "$form" 160 13
ends 0
# No desktop: one line saying so, status 2, and nothing made in the folder.
status=0 && out=$(cd "$T/plant" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$VELMORA" 2>&1) || status=$?
[[ $status == 2 && $out == *"no desktop session"* && ! -e $T/plant/使用者データ ]] || fail "no desktop: $out"
# Trying without a reader (make demo, the Windows quick start): a try folder of the program's
# own, whose first example card records at once.
run "$VELMORA" --try "$T/try"
window '^Velmora 2011\.06\.30$' >/dev/null
echo 0123456789ABCDEF > "$T/try/card.txt"
arrived() { iconv -f CP932 -t UTF-8 "$T/try/Velmora.dat" | grep -q '^"職員A","'; }
retry 10 arrived || fail "the example card recorded nothing"
