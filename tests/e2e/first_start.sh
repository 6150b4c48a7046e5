#!/usr/bin/env bash
# The first start in an empty folder: the owner's name is asked for and typed, the three
# data files are made, the terminal window shows, and the quit button ends the program.
source "$(dirname "$0")/lib.sh"
start_x
start_velmora

prompt=$(wait_window '^Velmora$')
type_into "$prompt" "Sato"

form=$(wait_window '^Velmora 2011\.06\.30$')
expect_bytes "使用者データ" "5361746f0d0a"
expect_bytes "Velmora.dat" ""
expect_bytes "利用者Felica.dat" ""

sleep 1.5   # a few clock ticks
kill -0 "$VPID" || fail "velmora ended by itself"
click_at "$form" 160 13   # the quit button
wait_exit 5
echo "first start: ok"
