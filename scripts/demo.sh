#!/usr/bin/env bash
# scripts/demo.sh VELMORA FOLDER (make demo): the time clock in FOLDER as a staff room's shared
# PC, with two example cards registered and a virtual card reader, the file FOLDER/card.txt.
# Records and registrations already there are kept; delete the folder to start afresh.
set -euo pipefail
velmora=$(realpath "$1") folder=$2
mkdir -p "$folder" && cd "$folder"

# The data files are CP932 with CR LF. An owner's name of nothing makes a shared PC.
[ -e 使用者データ ] || printf '\r\n' > 使用者データ
[ -e 利用者Felica.dat ] ||
  printf '"0123456789ABCDEF","職員A"\r\n"FEDCBA9876543210","職員B"\r\n' |
  iconv -f UTF-8 -t CP932 > 利用者Felica.dat
: > card.txt   # no card on the reader yet

cat <<TEXT
Velmora demo in $folder/: a shared PC with the example cards of 職員A and 職員B.
In another terminal, from the checkout (where make demo was started):
  echo 0123456789ABCDEF > $folder/card.txt    # hold 職員A's card
  echo FEDCBA9876543210 > $folder/card.txt    # hold 職員B's card
  : > $folder/card.txt                        # take the card away
Before 12:00 a card records an arrival, from 12:00 a leaving, in $folder/Velmora.dat.
TEXT
exec env VELMORA_CARD_FILE="$PWD/card.txt" "$velmora"
