#!/usr/bin/env bash
# wine.sh PREFIX COMMAND...: runs a Windows program under Wine in the Wine prefix PREFIX, a folder
# of its own that is made at the first run (under a minute), as on a Japanese Windows (code page
# 932). The prefix has Wine's own fonts, and the IPA fonts stand in for the Windows design fonts.
# The program is stopped after WINE_TIMEOUT seconds (default 600); `WINEPREFIX=PREFIX wineserver
# -k` ends what is left of the prefix's Wine.
set -euo pipefail
WINEPREFIX=$(realpath -m "$1") && shift
# Wine takes its code pages from the Unix locale, which must exist: it is made in the prefix.
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} LOCPATH=$WINEPREFIX/locale
japanese=(env LC_ALL=ja_JP.UTF-8 timeout)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$LOCPATH"
  localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8"
  # No Mono and no Gecko: nothing here needs them, and their installers would ask.
  WINEDLLOVERRIDES="mscoree,mshtml=" "${japanese[@]}" 300 wineboot -i
  fonts=$WINEPREFIX/drive_c/windows/Fonts && mkdir -p "$fonts"
  cp /usr/share/wine/fonts/*.ttf /usr/share/fonts/opentype/ipafont-gothic/*.ttf "$fonts"
  key='HKCU\Software\Wine\Fonts\Replacements'
  for f in 'ＭＳ Ｐゴシック=IPAPGothic' 'ＭＳ ゴシック=IPAGothic' 'MS PGothic=IPAPGothic' 'MS Gothic=IPAGothic'; do
    "${japanese[@]}" 60 wine reg add "$key" /v "${f%%=*}" /d "${f#*=}" /f >/dev/null
  done
  "${japanese[@]}" 120 wineserver -w
fi
exec "${japanese[@]}" "${WINE_TIMEOUT:-600}" wine "$@"
