#!/usr/bin/env bash
# Texts too wide for their label are drawn smaller, whole: no pixel of the text's colour in
# the outermost columns of the status line at rest or of the big label showing a leaving.
# Run at 96 and at 120 dpi (DPI).
source "$(dirname "$0")/lib.sh"
need import convert
printf '\r\n' > "$WORK/使用者データ" && printf '"%s","Sato"\r\n' $IDM > "$WORK/利用者Felica.dat"
printf '"Sato","07/01","8:00","\x8f\x6f"\r\n' > "$WORK/Velmora.dat"
# clear X Y WIDTH HEIGHT COLOUR: the label at that place of the window (at 96 dpi) holds no
# such pixel at its left or right edge.
clear() {
  import -window "$f" "$T/shot.png"
  local scale=${DPI:-96} && set -- $(($1 * scale / 96)) $(($2 * scale / 96)) \
    $(($3 * scale / 96)) $(($4 * scale / 96)) "$5"   # the window grows with the resolution
  for x in $1 $(($1 + $3 - 1)); do
    n=$(convert "$T/shot.png" -crop "1x$4+$x+$2" -fuzz 25% -fill black +opaque "$5" \
      -fill white -opaque "$5" -format '%[fx:round(mean*h)]' info:)
    [ "$n" = 0 ] || fail "text at column $x of the label at $1,$2 (${DPI:-96} dpi)"
  done
}
run_at "17:07:00 x1" "$VELMORA" && f=$(window '^Velmora 2011\.06\.30$') && sleep 1.5
clear 24 152 273 25 '#80FF80'   # 動作状態: "退勤 ：Felicaをかざしてください。"
echo $IDM > "$CARD" && retry 5 grep -q 17:10 "$WORK/Velmora.dat" && sleep 0.3
clear 32 72 257 57 '#80FFFF'   # mess: "07/01 17:10 退"
