#!/usr/bin/env bash
# Draws the program's pictures with ImageMagick (apt-get install imagemagick). The results are
# committed; run this again only to change the artwork.
#   resources/draw-artwork.sh          every picture (the background comes out new each time)
#   resources/draw-artwork.sh icons    the icons only
set -euo pipefail
cd "$(dirname "$0")"

serif=/usr/share/fonts/opentype/urw-base35/P052-Bold.otf
ember='#ff9a3c'
parchment='#ffe0c0'

# The icon: a glowing Q on a dark shield, drawn on a 32-unit grid and scaled to each size, so
# that every size is drawn rather than resampled. The 32 px one is also the window's icon; the
# others are for the desktop's menus.
icon() {  # size, file
    local size=$1 scale
    scale=$(awk "BEGIN { print $size / 32 }")
    local shield="scale $scale,$scale path 'M 4,3 L 28,3 L 28,16 Q 28,26 16,30 Q 4,26 4,16 Z'"
    convert \( -size "${size}x$size" gradient:'#4a1709'-'#140402' -alpha set \) \
        \( -size "${size}x$size" xc:none -fill white -draw "$shield" \) \
        -compose DstIn -composite -compose Over \
        -fill none -stroke '#c0501a' -strokewidth 2 -draw "$shield" \
        -font "$serif" -stroke none -gravity center \
        -pointsize "$(awk "BEGIN { print 20 * $scale }")" \
        -fill '#0a0201' -annotate "$(awk "BEGIN { printf \"+%d+%d\", $scale / 2, -$scale / 2 }")" 'Q' \
        -fill "$ember" -annotate "$(awk "BEGIN { printf \"+0-%d\", $scale }")" 'Q' \
        -depth 8 -strip "$2"
}

mkdir -p icons
for size in 32 48 128 256; do
    icon "$size" "icons/quorrel-$size.png"
done
[ "${1:-}" = icons ] && exit 0

# Background, 1600 x 1100: a dark stone wall lit by embers from below. Kept dark so that light
# yellow and orange labels read well over any part of it.
convert -size 1600x1100 plasma:fractal -blur 0x4 -colorspace gray -auto-level -colorspace sRGB -type TrueColor \
    +level-colors '#060303','#2e1710' \
    \( -size 1600x1100 gradient:'#000000'-'#2a0c04' \) -compose screen -composite \
    -depth 8 -strip background.png

# Splash, 375 x 150.
convert -size 375x150 gradient:'#120805'-'#3b1206' \
    -fill none -stroke '#7a2a0a' -strokewidth 3 -draw 'rectangle 4,4 370,145' \
    -font "$serif" -fill "$ember" -stroke '#2a0a02' -strokewidth 1 -pointsize 54 \
    -gravity center -annotate +0-16 'Quorrel' \
    -font "$serif" -stroke none -fill "$parchment" -pointsize 15 \
    -annotate +0+34 'a history of your Diablo II heroes' \
    -depth 8 -strip splash.png

# About picture, 141 x 57 GIF.
convert -size 141x57 gradient:'#1d0a05'-'#3b1206' \
    -font "$serif" -fill "$ember" -pointsize 30 -gravity center -annotate +0-4 'Quorrel' \
    -fill "$parchment" -pointsize 10 -annotate +0+18 'save history' \
    -strip about.gif
