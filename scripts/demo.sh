#!/usr/bin/env bash
# scripts/demo.sh VELMORA FOLDER (make demo): the time clock in FOLDER as a staff room's shared
# PC, with two example cards registered and a virtual card reader, the file FOLDER/card.txt.
# Records and registrations already there are kept; delete the folder to start afresh. A
# folder that holds other files (a school's data) is refused.
set -euo pipefail
velmora=$(realpath "$1") folder=$2
# The program makes the folder ready itself (velmora --try), as on Windows.
cat <<TEXT
Velmora demo in $folder/: a shared PC with the example cards of 職員A and 職員B.
In another terminal, from the checkout (where make demo was started):
  echo 0123456789ABCDEF > $folder/card.txt    # hold 職員A's card
  echo FEDCBA9876543210 > $folder/card.txt    # hold 職員B's card
  : > $folder/card.txt                        # take the card away
Before 12:00 a card records an arrival, from 12:00 a leaving, in $folder/Velmora.dat.
TEXT
exec "$velmora" --try "$folder"
