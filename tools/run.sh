#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the release build, with the start-up chime where the player looks for it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found: start Vorla from a desktop session, or run 'xvfb-run make run'."
    exit 1
fi
data="${XDG_DATA_HOME:-$HOME/.local/share}/vorla"
mkdir -p "$data"
cmp -s "$top/resources/open.mp3" "$data/open.mp3" 2>/dev/null ||
    cp "$top/resources/open.mp3" "$data/open.mp3" 2>/dev/null || true
exec "$top/build-release/vorla"
