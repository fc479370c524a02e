#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the banner (301 x 79) and the 48 x 48 icon from their SVG sources, and their Windows
# forms: the banner as an 8-bit BMP of 128 colours, once at its size and once at twice it for
# high-DPI screens; the icon as an ICO of 16, 24, 32, 48 and 256 pixels; the taskbar buttons'
# glyphs as ICOs of 16, 20, 24 and 32 pixels (100 to 200 %). Needs librsvg2-bin, imagemagick and
# fonts-dejavu-core; the results are committed, so builds do not run this.
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert --width 301 --height 79 banner.svg --output banner.png
rsvg-convert --width 48 --height 48 icon.svg --output icon-48.png
convert banner.png -colors 128 -type Palette BMP3:banner.bmp

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rsvg-convert --width 602 --height 158 banner.svg --output "$work/banner-2x.png"
convert "$work/banner-2x.png" -colors 128 -type Palette BMP3:banner-2x.bmp

# An ICO of the SVG at each of the sizes: SVG ICO SIZE...
make_ico() {
    local svg=$1 ico=$2 layers=()
    shift 2
    for size in "$@"; do
        rsvg-convert --width "$size" --height "$size" "$svg" --output "$work/$size.png"
        layers+=("$work/$size.png")
    done
    convert "${layers[@]}" "$ico"
}
make_ico icon.svg icon.ico 16 24 32 48 256
for glyph in prev play pause next; do
    make_ico "thumb_$glyph.svg" "thumb_$glyph.ico" 16 20 24 32
done
