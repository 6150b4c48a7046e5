#!/usr/bin/env bash
# run.sh BUILD: the Windows test program under Wine offscreen, then the real velmora.exe under
# Wine on an Xvfb display (first_start.sh), both in the Wine prefix BUILD/wine.
set -euo pipefail
build=$(realpath "$1") wine=$(realpath "$(dirname "$0")/../../scripts/wine.sh")
export WINEPREFIX=$build/wine
trap 'wineserver -k 2>/dev/null || true' EXIT
(cd "$build" && WINEQT_QPA_PLATFORM=offscreen WINEQT_QPA_FONTDIR='C:\windows\Fonts' \
  WINE_TIMEOUT=300 bash "$wine" "$WINEPREFIX" velmora_tests.exe)
wineserver -w # the next program gets a Wine of its own, on the Xvfb display
VELMORA=$build/velmora.exe WINE=$wine bash "$(dirname "$0")/first_start.sh"
