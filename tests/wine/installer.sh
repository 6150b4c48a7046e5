#!/usr/bin/env bash
# installer.sh SETUP: the installer under Wine, silently, as an IT department runs it: the
# programs, the uninstaller, the Start menu's links and the logon link in place, the data
# folder given; the installed report run on sample files in it gives the CSV the Linux build
# gives; a silent uninstall removes the programs and links and leaves the data folder as it was.
# WINEPREFIX is the build's Wine prefix.
set -euo pipefail
setup=$(realpath "$1") data=$(realpath "$(dirname "$0")/../report/data")
wine() { bash "$(dirname "$0")/../../scripts/wine.sh" "${WINEPREFIX:?}" "$@"; }
fail() { echo "installer.sh: $*" >&2 && exit 1; }
c=$WINEPREFIX/drive_c programs="$c/Program Files/Velmora" records="$c/VelmoraData"
menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs"
rm -rf "$programs" "$records"
WINE_TIMEOUT=180 wine "$setup" /S '/DATA=C:\VelmoraData' /LOGON
for f in velmora.exe velmora-report.exe sony_idm.dll uninstall.exe LICENSE.txt README-ja.txt; do
  [ -f "$programs/$f" ] || fail "$f not installed"
done
for f in "Velmora/Velmora.lnk" "Velmora/Velmora 在校等時間集計.lnk" "StartUp/Velmora.lnk"; do
  [ -f "$menu/$f" ] || fail "no link $f"
done
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora' /v \
  QuietUninstallString | grep -q 'uninstall.exe" /S' || fail "not in the list of apps"
# Copied with their modification times, which date the records.
cp -p "$data"/terminal1.dat "$data"/terminal2.dat "$records"
WINE_TIMEOUT=120 wine "C:\\Program Files\\Velmora\\velmora-report.exe" --last-year 2026 \
  -o 'C:\VelmoraData' 'C:\VelmoraData\terminal1.dat' 'C:\VelmoraData\terminal2.dat' >/dev/null
cmp "$records/在校等時間_2026-01.csv" "$data/expected.csv" || fail "the installed report's CSV"
before=$(cd "$records" && ls -l --time-style=full-iso . | md5sum)
# The uninstaller runs from a copy of itself in the temporary folder, which it starts and leaves.
WINE_TIMEOUT=120 wine "C:\\Program Files\\Velmora\\uninstall.exe" /S
timeout 120 wineserver -w
for f in velmora.exe velmora-report.exe sony_idm.dll; do
  [ ! -e "$programs/$f" ] || fail "$f left behind"
done
[ ! -e "$menu/Velmora" ] && [ ! -e "$menu/StartUp/Velmora.lnk" ] || fail "links left behind"
[ "$(cd "$records" && ls -l --time-style=full-iso . | md5sum)" == "$before" ] || fail "data changed"
echo "installer.sh: ok"
