#!/usr/bin/env bash
# package-windows.sh BUILD: velmora-VERSION-windows-x64.zip and the installer
# velmora-VERSION-setup.exe in BUILD from the Windows build in
# BUILD: the programs (stripped), sony_idm.dll, LICENSE, the linked-in software's notices and
# licenses, and the quick start as README-ja.txt. Texts in UTF-8 with a byte order mark and
# CR LF, as Notepad reads them best.
set -euo pipefail
build=$(realpath "$1") root=$(realpath "$(dirname "$0")/..")
version=$(sed -n "s/^VELMORA_VERSION:INTERNAL=//p" "$build/CMakeCache.txt")
name=velmora-$version-windows-x64
[ -f "$root/LICENSE" ] || { echo "package-windows.sh: no LICENSE in $root" >&2; exit 1; }
rm -rf "${build:?}/package" "$build/$name.zip" && mkdir -p "$build/package/$name"
for f in velmora.exe velmora-report.exe sony_idm.dll; do
  x86_64-w64-mingw32-strip -o "$build/package/$name/$f" "$build/$f"
done
text() { { printf '\xef\xbb\xbf' && sed 's/$/\r/' "$1"; } > "$build/package/$name/$2"; }
text "$root/LICENSE" LICENSE.txt
text "$root/docs/windows-quickstart-ja.txt" README-ja.txt
text "$root/docs/windows-third-party.txt" THIRD-PARTY.txt
# The font the PDFs are set in, with its license (IPA Font License, which allows this).
cp "$build/ipag.ttf" "$build/package/$name/ipag.ttf"
text /usr/share/doc/fonts-ipafont-gothic/copyright IPAFONT-LICENSE.txt
for l in LGPL-3 GPL-3 MPL-2.0; do text "/usr/share/common-licenses/$l" "$l.txt"; done
(cd "$build/package" && zip -qr -X "../$name.zip" "$name")
echo "$build/$name.zip"
# The licence page: a Japanese summary, then the licence with its paragraphs unwrapped, for the
# page's narrow box wraps them itself.
{ cat "$root/packaging/windows/license-summary-ja.txt" && awk -v RS= '{ gsub(/\n/, " "); print $0 "\n" }' \
  "$root/LICENSE"; } > "$build/package/license-raw.txt" && text "$build/package/license-raw.txt" ../license-page.txt
# The installer of the same files (packaging/windows/velmora.nsi); Windows wants four numbers.
numeric=$(sed -E 's/^([0-9]+)\.([0-9]+)[^+]*\+git([0-9]+)$/\1.\2.0.\3/; s/^([0-9]+)\.([0-9]+)$/\1.\2.0.0/' <<<"$version")
makensis -V2 -DVERSION="$version" -DNUMERIC="$numeric" -DFILES="$build/package/$name" \
  -DICON="$root/assets/icon.ico" -DLICENSE="$build/package/license-page.txt" -DOUT="$build/velmora-$version-setup.exe" \
  "$root/packaging/windows/velmora.nsi"
echo "$build/velmora-$version-setup.exe"
