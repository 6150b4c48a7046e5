#!/usr/bin/env bash
# The Debian package of this build ($BUILD): lintian finds no error, the menu entries and the
# metainfo validate. Unpacked into a folder of the test's own, never onto this machine: the
# programs give the package's version, and the menu entry's command starts the time clock in
# ~/Velmora, made then, where it finds its card reader library inside the package.
source "$(dirname "$0")/lib.sh"
need cpack lintian desktop-file-validate appstreamcli
cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$T/deb" >"$T/log" || fail "cpack"
deb=$(echo "$T"/deb/velmora_*.deb) R=$T/root/usr && dpkg-deb -x "$deb" "$T/root"
lintian "$deb" >>"$T/log" 2>&1 || fail "lintian"
! grep groff-message "$T/log" || fail "groff cannot set a man page"
desktop-file-validate "$R"/share/applications/* >>"$T/log" || fail "desktop-file-validate"
appstreamcli validate --no-net "$R"/share/metainfo/* >>"$T/log" || fail "appstreamcli"
v=$(dpkg-deb -f "$deb" Version)
[[ $("$R/bin/velmora" --version) == "Velmora $v" && $("$R/bin/velmora-report" --version) == *" $v" ]] &&
  grep -q "release version=\"$v\"" "$R"/share/metainfo/* || fail "not all of version $v"
ls "$R"/share/icons/hicolor/{48x48/apps/velmora.png,256x256/apps/velmora.png,scalable/apps/velmora.svg} \
  "$R"/share/man/man1/velmora{,-report}.1.gz >/dev/null || fail "icons or man pages missing"
# The man pages are written by hand: each holds every option its program's --help lists.
for p in velmora velmora-report; do
  for o in $("$R/bin/$p" --help | grep -o -- '--[a-z-]*' | sort -u); do
    zcat "$R/share/man/man1/$p.1.gz" | grep -qF -- "${o//-/\\-}" || fail "$p.1 lacks $o"
  done
done
read -ra menu < <(sed -n 's/^Exec=//p' "$R/share/applications/velmora.desktop")
run QT_LOGGING_RULES=velmora.card.info=true "$R/bin/${menu[0]}" "${menu[@]:1}"
click "$(window '^Velmora$')" 20 20 && xdotool key Escape   # the first start's name: none
retry 10 grep -q "library: $R/bin/\.\./lib/.*velmora/libsony_idm.so$" "$T/log" || fail "no library"
[ -z "$(ls "$WORK")" ] && cmp -s <(printf '\r\n') "$T/Velmora/使用者データ" || fail "not in ~/Velmora"
