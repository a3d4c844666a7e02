#!/usr/bin/env bash
# Draws the program's pictures with ImageMagick (apt-get install imagemagick). The results are
# committed; run this again only to change the artwork.
set -euo pipefail
cd "$(dirname "$0")"

serif=/usr/share/fonts/opentype/urw-base35/P052-Bold.otf
ember='#ff9a3c'
parchment='#ffe0c0'

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

# Icon, 32 x 32: a glowing Q on a dark shield.
convert -size 32x32 xc:none \
    -fill '#2a0c05' -stroke '#c0501a' -strokewidth 2 \
    -draw 'path "M 4,3 L 28,3 L 28,16 Q 28,26 16,30 Q 4,26 4,16 Z"' \
    -font "$serif" -stroke none -fill "$ember" -pointsize 20 -gravity center \
    -annotate +0-1 'Q' \
    -depth 8 -strip quorrel.png

# About picture, 141 x 57 GIF.
convert -size 141x57 gradient:'#1d0a05'-'#3b1206' \
    -font "$serif" -fill "$ember" -pointsize 30 -gravity center -annotate +0-4 'Quorrel' \
    -fill "$parchment" -pointsize 10 -annotate +0+18 'save history' \
    -strip about.gif
