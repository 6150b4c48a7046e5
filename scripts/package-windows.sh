#!/usr/bin/env bash
# package-windows.sh BUILD: velmora-VERSION-windows-x64.zip in BUILD from the Windows build in
# BUILD: the programs (stripped), sony_idm.dll, LICENSE and the quick start, as
# README-ja.txt in UTF-8 with a byte order mark and CR LF, as Notepad reads it best.
set -euo pipefail
build=$(realpath "$1") root=$(realpath "$(dirname "$0")/..")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=velmora-$version-windows-x64
[ -f "$root/LICENSE" ] || { echo "package-windows.sh: no LICENSE in $root" >&2; exit 1; }
rm -rf "${build:?}/package" "$build/$name.zip" && mkdir -p "$build/package/$name"
for f in velmora.exe velmora-report.exe sony_idm.dll; do
  x86_64-w64-mingw32-strip -o "$build/package/$name/$f" "$build/$f"
done
cp "$root/LICENSE" "$build/package/$name/LICENSE.txt"
{ printf '\xef\xbb\xbf' && sed 's/$/\r/' "$root/docs/windows-quickstart-ja.txt"; } \
  > "$build/package/$name/README-ja.txt"
(cd "$build/package" && zip -qr -X "../$name.zip" "$name")
echo "$build/$name.zip"
