#!/usr/bin/env bash
# The first start in an empty folder: the owner's name is asked for and typed, the three data
# files are made, Space and Enter press nothing in the fresh window, and the quit button's
# click ends the program.
source "$(dirname "$0")/lib.sh"
run "$VELMORA"
type_into "$(window '^Velmora$')" Sato
form=$(window '^Velmora 2011\.06\.30$')
holds 使用者データ 'Sato\r\n' Velmora.dat '' 利用者Felica.dat ''
xdotool windowfocus --sync "$form" key space Return sleep 1.2   # a tick: the reader is asked
kill -0 "$VPID" || fail "Space or Enter pressed the quit button"
click "$form" 160 13
ends 0
