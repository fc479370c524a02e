#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that are not installed yet: those of debian-packages.txt, every
# group but "windows"; or of the groups named ("install-deps.sh windows"); or of a list file given
# as the argument.
set -euo pipefail
list=$(dirname "$0")/../debian-packages.txt
groups=()
if [[ $# -gt 0 && -f "$1" ]]; then
    list=$1
elif [[ $# -gt 0 ]]; then
    groups=("$@")
fi
# The packages of the wanted groups, one a line; a list without groups is taken whole.
packages=$(awk -v wanted="${groups[*]:-}" '
    BEGIN { n = split(wanted, names, " "); for (i = 1; i <= n; i++) want[names[i]] = 1 }
    /^## / { group = $2; sub(/:$/, "", group); next }
    /^#/ || NF == 0 { next }
    n ? (group in want) : (group != "windows") { print $1 }' "$list")
missing=()
while read -r package; do
    [[ -z "$package" ]] && continue
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done <<<"$packages"
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
