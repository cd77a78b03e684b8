#!/bin/bash
# Makes the splash and About pictures into a folder of the build tree:
#   splash.png  800 x 632   (the splash window's 400 x 316 at twice the size)
#   about.png   698 x 456   (the About window's 349 x 228 at twice the size)
# Drawn at twice the size so that they stay sharp when the program scales
# them down for 96 DPI or 144 DPI. Needs ImageMagick, rsvg-convert, the
# DejaVu fonts and the Tango icon theme (scripts/setup.sh installs them).
# Usage: make-pictures.sh OUTPUT_FOLDER
set -euo pipefail
out="$1"
mkdir -p "$out"
tango="${QLM_TANGO_DIR:-/usr/share/icons/Tango}"
fonts=/usr/share/fonts/truetype/dejavu
bold="$fonts/DejaVuSans-Bold.ttf"
book="$fonts/DejaVuSans.ttf"
light="$fonts/DejaVuSans-ExtraLight.ttf"
[ -f "$light" ] || light="$book"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# The product mark: the Tango globe with the gear of system tools on it.
rsvg-convert -w 232 -h 232 "$tango/scalable/apps/internet-web-browser.svg" -o "$tmp/globe.png"
rsvg-convert -w 104 -h 104 "$tango/scalable/categories/applications-system.svg" -o "$tmp/gear.png"
convert "$tmp/globe.png" -background none -extent 256x256 "$tmp/gear.png" -geometry +142+138 -composite \
  "$tmp/mark.png"

# A deep blue vertical gradient with a soft light in the upper left.
background() {  # width height file
  convert -size "$1x$2" gradient:'#0d2f55'-'#1b67a3' \
    \( -size "$(( $1 * 2 ))x$(( $2 * 2 ))" radial-gradient:'#ffffff30'-'#ffffff00' \
       -crop "$1x$2+$(( $1 * 5 / 6 ))+$(( $2 * 3 / 4 ))" +repage \) -composite \
    "$3"
}

# Splash.
background 800 632 "$tmp/splash-bg.png"
convert "$tmp/splash-bg.png" \
  \( "$tmp/mark.png" -background '#00000070' -shadow 70x10+0+8 \) -geometry +46+150 -composite \
  "$tmp/mark.png" -geometry +56+150 -composite \
  -fill white -font "$bold" -pointsize 72 -annotate +320+258 'Quillmoor' \
  -fill '#cfe3f5' -font "$book" -pointsize 34 -annotate +322+318 'Version 6.1' \
  -fill '#cfe3f5' -font "$light" -pointsize 30 -annotate +322+366 'Browser add-on manager' \
  -fill '#ffffff40' -draw 'rectangle 56,520 744,521' \
  -fill '#9fc2e0' -font "$book" -pointsize 22 -annotate +56+566 'Copyright © 2024 the Quillmoor Team' \
  -fill '#9fc2e0' -font "$book" -pointsize 22 -annotate +632+566 'Starting…' \
  -depth 8 -strip "$out/splash.png"

# About: the same look, the mark and the name in the upper part; the
# window writes its text below them.
background 698 456 "$tmp/about-bg.png"
convert "$tmp/mark.png" -resize 128x128 "$tmp/mark-small.png"
convert "$tmp/about-bg.png" \
  \( "$tmp/mark-small.png" -background '#00000070' -shadow 70x6+0+5 \) -geometry +34+32 -composite \
  "$tmp/mark-small.png" -geometry +40+32 -composite \
  -fill white -font "$bold" -pointsize 56 -annotate +190+102 'Quillmoor' \
  -fill '#cfe3f5' -font "$light" -pointsize 26 -annotate +193+144 'Browser add-on manager' \
  -fill '#ffffff40' -draw 'rectangle 40,186 658,187' \
  -depth 8 -strip "$out/about.png"
