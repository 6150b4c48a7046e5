#!/usr/bin/env bash
# installer-pages.sh SETUP FOLDER [CHECK...]: a picture of each page of an interactive install
# under Wine (in WINEPREFIX), at 96 and 120 dpi, in an Xvfb of its own: FOLDER/DPI-PAGE.png, to
# look at by eye. CHECK, if given, runs on each page first (on that display) and must succeed.
# The install goes to the default folders; the finish page is left unpressed, for it would open
# the quick start.
set -euo pipefail
setup=$(realpath "$1") folder=$2 && shift 2 && mkdir -p "$folder"
wine() { bash "$(dirname "$0")/wine.sh" "${WINEPREFIX:?}" "$@"; }
display=$(mktemp) && trap 'kill $xvfb; rm -f "$display"' EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display" 2>/dev/null & xvfb=$!
timeout 10 sh -c "until [ -s '$display' ]; do sleep 0.1; done" && export DISPLAY=:$(cat "$display")
for dpi in 96 120; do
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null
  WINE_TIMEOUT=120 wine "$setup" & timeout 120 xdotool search --sync --onlyvisible --name Velmora >/dev/null
  for page in license components folder data finish; do
    # The install itself runs before the finish page.
    sleep $([ $page == finish ] && echo 8 || echo 1)
    (($# == 0)) || "$@" || { echo "installer-pages.sh: the $page page at $dpi dpi" >&2 && exit 1; }
    sleep 1 && import -window root -crop 800x600+112+84 "$folder/$dpi-$page.png"
    [ $page == finish ] || xdotool key Return
  done
  WINEPREFIX=$WINEPREFIX wineserver -k
done
