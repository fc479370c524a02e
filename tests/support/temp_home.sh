#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a script test under a fresh temporary HOME and XDG folders, as test_main.cpp gives every
# GoogleTest process, and removes them afterwards.
set -euo pipefail
root=$(mktemp -d "${TMPDIR:-/tmp}/vorla-home-XXXXXX")
trap 'rm -rf "$root"' EXIT
mkdir -m 700 "$root/home" "$root/config" "$root/data" "$root/cache" "$root/runtime"
export HOME=$root/home XDG_CONFIG_HOME=$root/config XDG_DATA_HOME=$root/data
export XDG_CACHE_HOME=$root/cache XDG_RUNTIME_DIR=$root/runtime
export DBUS_SESSION_BUS_ADDRESS=unix:path=$root/runtime/bus
"$@"
