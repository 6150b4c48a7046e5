#!/usr/bin/env bash
# run.sh BUILD: the Windows test program under Wine offscreen, then the real velmora.exe under
# Wine on an Xvfb display (first_start.sh), both in BUILD's Wine prefix.
set -euo pipefail
build=$(realpath "$1") wine=$(realpath "$(dirname "$0")/../../scripts/wine.sh")
trap 'WINEPREFIX=$build/wine wineserver -k 2>/dev/null || true' EXIT
(cd "$build" && WINEQT_QPA_PLATFORM=offscreen WINEQT_QPA_FONTDIR='C:\windows\Fonts' \
  WINE_TIMEOUT=300 bash "$wine" "$build/wine" velmora_tests.exe)
