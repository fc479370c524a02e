#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the banner (301 x 79) and the 48 x 48 icon from their SVG sources.
# Needs librsvg2-bin and fonts-dejavu-core; the PNGs are committed, so builds do not run this.
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert --width 301 --height 79 banner.svg --output banner.png
rsvg-convert --width 48 --height 48 icon.svg --output icon-48.png
