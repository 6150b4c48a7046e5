#!/bin/sh
# Renders the PNGs the program loads from their SVG sources.
# Needs rsvg-convert (Debian package librsvg2-bin) and ImageMagick's convert.
# Run from anywhere; the files are written next to this script.
set -eu
cd "$(dirname "$0")"

command -v rsvg-convert >/dev/null 2>&1 || {
  echo "render.sh: rsvg-convert not found (install librsvg2-bin)" >&2
  exit 1
}

rsvg-convert --width 320 --height 320 --output background.png background.svg
rsvg-convert --width 256 --height 256 --output icon.png icon.svg
rsvg-convert --width 48 --height 48 --output icon-48.png icon.svg
# The Windows programs' and installer's icon: the sizes Explorer and the taskbar ask for.
ico=$(mktemp -d)
for s in 16 24 32 48 64 256; do rsvg-convert --width $s --height $s --output "$ico/$s.png" icon.svg; done
convert "$ico"/16.png "$ico"/24.png "$ico"/32.png "$ico"/48.png "$ico"/64.png "$ico"/256.png icon.ico
rm -r "$ico"

echo "render.sh: background.png 320x320, icon.png 256x256, icon-48.png 48x48, icon.ico"
