#!/usr/bin/env bash
# installer.sh SETUP: each page of an interactive install at 96 and 120 dpi, its texts measured
# against their boxes (fits.c), pictured in PAGES (default: installer-pages beside SETUP). Then the
# installer under Wine, silently, as an IT department runs it: the
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
rm -rf "$programs" "$records" "$c/Velmora" && find "$c/users" -name velmora-setup.log -delete
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
x86_64-w64-mingw32-gcc -O -o "$tmp/fits.exe" "$(dirname "$0")/fits.c" -lgdi32
bash "$(dirname "$0")/../../scripts/installer-pages.sh" "$setup" "${PAGES:-$(dirname "$setup")/installer-pages}" \
  bash "$(dirname "$0")/../../scripts/wine.sh" "$WINEPREFIX" "$tmp/fits.exe"
WINE_TIMEOUT=180 wine "$setup" /S '/DATA=C:\VelmoraData' /LOGON
for f in velmora.exe velmora-report.exe sony_idm.dll uninstall.exe LICENSE.txt README-ja.txt; do
  [ -f "$programs/$f" ] || fail "$f not installed"
done
# Each program carries the version information of its build (UTF-16 strings in its resources).
version=$(basename "$setup" -setup.exe) && version=${version#velmora-}
for f in velmora.exe velmora-report.exe; do
  strings -el "$programs/$f" | grep -xF "$version" >/dev/null || fail "$f has no version $version"
done
for f in "Velmora/Velmora.lnk" "Velmora/Velmora 在校等時間集計.lnk" "StartUp/Velmora.lnk"; do
  [ -f "$menu/$f" ] || fail "no link $f"
done
# An upgrade, given nothing, keeps the data folder and the logon choice.
WINE_TIMEOUT=180 wine "$setup" /S
wine reg query 'HKLM\Software\Velmora' /v DataFolder | grep -F 'C:\VelmoraData' >/dev/null &&
  [ -f "$menu/StartUp/Velmora.lnk" ] || fail "the upgrade forgot the data folder or the logon"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora' /v \
  QuietUninstallString | grep 'uninstall.exe" /S' >/dev/null || fail "not in the list of apps"
# An upgrade while the time clock runs (here a velmora.exe that ends after 20 s) waits /WAIT=
# seconds for it, then gives up before the first file: the old programs intact, status 2, the
# reason logged (checked below). The next install, waiting 60 s, goes on once it has ended.
touch -d 2001-01-01Z "$programs"/*.exe
x86_64-w64-mingw32-gcc -o "$tmp/velmora.exe" -x c - <<<'void Sleep(int); int main(void) { Sleep(20000); }'
WINE_TIMEOUT=60 bash "$(dirname "$0")/../../scripts/wine.sh" "$WINEPREFIX" "$tmp/velmora.exe" &
sleep 3 && s=0 && WINE_TIMEOUT=60 wine "$setup" /S /WAIT=2 || s=$?
[[ $s == 2 && $(stat -c %Y "$programs"/*.exe | sort -u) == 978307200 ]] || fail "upgraded ($s)"
# A grant refused (the system's icacls replaced by one that fails, as on some shares): status 2.
# Without the override Wine runs its own icacls again.
x86_64-w64-mingw32-gcc -o "$c/windows/system32/icacls.exe" -x c - <<<'int main(void) { return 5; }'
s=0 && WINEDLLOVERRIDES=icacls.exe=n WINE_TIMEOUT=60 wine "$setup" /S || s=$?
said=$(iconv -f UTF-16 "$(find "$c/users" -name velmora-setup.log)")
[[ $s == 2 && $said == *"が 2 秒たっても終了しない"*"(icacls: 5)"* ]] || fail "the grant failed with $s: $said"
# From a console, redirected: its messages in UTF-8, its exit status as on Linux.
s=0 && said=$(WINE_TIMEOUT=60 wine "C:\\Program Files\\Velmora\\velmora-report.exe" --month 2026-13 \
  2>&1) || s=$?
[[ $s == 2 && $said == *"--month 2026-13: 年月 (YYYY-MM) ではありません"* ]] || fail "said: $said ($s)"
# Copied with their modification times, which date the records.
cp -p "$data"/terminal1.dat "$data"/terminal2.dat "$records"
WINE_TIMEOUT=120 wine "C:\\Program Files\\Velmora\\velmora-report.exe" --last-year 2026 \
  -o 'C:\VelmoraData' 'C:\VelmoraData\terminal1.dat' 'C:\VelmoraData\terminal2.dat' >/dev/null
cmp "$records/在校等時間_2026-01.csv" "$data/expected.csv" || fail "the installed report's CSV"
# Its PDF is set in the font it ships, in the regular weight but for what is bold, and looks as
# the Linux build's does: the same pages, apart from a few pixels of the bold headings, which
# each system emboldens its own way (a PDF all in bold, or in another font, differs by far more).
WINE_TIMEOUT=120 wine "C:\\Program Files\\Velmora\\velmora-report.exe" --last-year 2026 -f pdf \
  -o 'C:\VelmoraData' 'C:\VelmoraData\terminal1.dat' 'C:\VelmoraData\terminal2.dat' 2>/dev/null
pdf=$records/在校等時間_2026-01.pdf
fonts=$(pdffonts "$pdf" | tail -n +3)
[[ $(wc -l <<<"$fonts") == 1 && $fonts == IPA*"CID TrueType"*" yes "* && $fonts != *Bold* ]] ||
  fail "fonts: $fonts"
if [ -x "${LINUX_REPORT:-}" ]; then
  linux=$tmp/linux && mkdir "$linux"
  cp -p "$data"/terminal1.dat "$data"/terminal2.dat "$linux"
  QT_QPA_PLATFORM=offscreen "$LINUX_REPORT" --last-year 2026 -f pdf -o "$linux" \
    "$linux"/terminal1.dat "$linux"/terminal2.dat 2>/dev/null >&2
  pdftoppm -r 60 -png "$pdf" "$linux/windows" && pdftoppm -r 60 -png "$linux"/*.pdf "$linux/linux"
  [ "$(ls "$linux"/linux-*.png | wc -l)" == "$(ls "$linux"/windows-*.png | wc -l)" ] || fail "pages"
  for page in "$linux"/linux-*.png; do
    differ=$(compare -metric AE -fuzz 20% "$page" "${page/linux-/windows-}" null: 2>&1 || true)
    (( differ < 3500 )) || fail "$(basename "$page"): $differ pixels differ from Linux's"
  done
fi
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
