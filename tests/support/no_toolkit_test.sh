#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when one of the given programs loads Qt, GStreamer or libmpg123.
set -euo pipefail
[[ $# -gt 0 ]] || { echo "usage: $0 PROGRAM..."; exit 2; }
status=0
for program in "$@"; do
    libraries=$(ldd "$program") || { echo "ldd failed on $program"; exit 1; }
    found=$(grep -E 'libQt|libgst|libmpg123' <<<"$libraries" || true)
    if [[ -n "$found" ]]; then
        echo "$program loads:"
        echo "$found"
        status=1
    fi
done
exit "$status"
