#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's screenshots of the real window under Xvfb: the plain look (first start,
# no playlist file, so no skin) and the skinned look (a saved playlist, so the skin applies).
# Needs xvfb, xauth and imagemagick; run after 'make release'.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/docs"
mkdir -p "$out"

shoot() { # data-home, output file
    XDG_DATA_HOME="$1" xvfb-run -a -s "-screen 0 640x720x24" bash -c '
        "$0" & pid=$!
        sleep 2
        import -window root "$1"
        kill $pid' "$top/build-release/vorla" "$2.full.png"
    convert "$2.full.png" -trim +repage "$2"
    rm -f "$2.full.png"
}

plain=$(mktemp -d)
skinned=$(mktemp -d)
trap 'rm -rf "$plain" "$skinned"' EXIT
mkdir -p "$skinned/vorla"
printf '%s\n' 4 \
    /home/user/Music '*' '晴天.mp3' '*' \
    /home/user/Music '*' 'Blue in Green.mp3' '*' \
    /home/user/Music/旧歌 '*' '夜曲.mp3' '*' \
    /home/user/Music '*' 'So What.mp3' '*' >"$skinned/vorla/savelist"

shoot "$plain" "$out/screenshot-plain.png"
shoot "$skinned" "$out/screenshot-skin.png"
echo "wrote $out/screenshot-plain.png and $out/screenshot-skin.png"
