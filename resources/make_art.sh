#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the banner (301 x 79) and the 48 x 48 icon from their SVG sources, and their Windows
# forms: the banner as an 8-bit BMP of 128 colours, the icon as an ICO of 16, 24, 32, 48 and 256
# pixels. Needs librsvg2-bin, imagemagick and fonts-dejavu-core; the results are committed, so
# builds do not run this.
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert --width 301 --height 79 banner.svg --output banner.png
rsvg-convert --width 48 --height 48 icon.svg --output icon-48.png
convert banner.png -colors 128 -type Palette BMP3:banner.bmp

icons=$(mktemp -d)
trap 'rm -rf "$icons"' EXIT
layers=()
for size in 16 24 32 48 256; do
    rsvg-convert --width "$size" --height "$size" icon.svg --output "$icons/$size.png"
    layers+=("$icons/$size.png")
done
convert "${layers[@]}" icon.ico
