#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the host probe over the memory host and over the Qt window; their outputs must agree.
set -euo pipefail
memory=$("$1")
window=$(QT_QPA_PLATFORM=offscreen "$2")
[[ -n "$memory" ]] || { echo "the memory probe printed nothing"; exit 1; }
if [[ "$memory" != "$window" ]]; then
    echo "memory host (<) and Qt window (>) differ:"
    diff <(echo "$memory") <(echo "$window") || true
    exit 1
fi
