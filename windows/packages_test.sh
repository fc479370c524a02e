#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installer and the portable zip under Wine, used as a user would: a silent install, the
# program started from its Start-menu shortcut and closed, an install over a running player and
# over an older one, the uninstaller with and without the playlist, and the portable copy.
#   packages_test.sh SETUP_EXE PORTABLE_ZIP VERSION
# Runs in the setting of tools/windows-test.sh (a booted WINEPREFIX, an X display); works in a
# copy of that prefix of its own. Checks what is on the disk and in the registry: the exit codes
# of Wine's launcher say little.
set -euo pipefail
setup=$1 zip=$2 version=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/vorla-packages-XXXXXX")
finish() {
    WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT
cp -a "$WINEPREFIX" "$work/prefix"
export WINEPREFIX=$work/prefix
wine=/usr/lib/wine/wine64
[[ -x "$wine" ]] || wine=$(command -v wine64 || command -v wine)

user=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 ! -name Public -printf '%f\n' |
    head -n 1)
home=$WINEPREFIX/drive_c/users/$user
installed=$home/AppData/Local/Programs/Vorla
shortcut=$home/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Vorla.lnk
data=$home/AppData/Roaming/Vorla
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorla'

failed=0
check() { # what, then a command that must succeed
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failed=1
    fi
}
# The value of a registry value under the uninstall key, as reg prints it.
value() { "$wine" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v name="$1" '$1 == name { $1 = $2 = ""; sub(/^ +/, ""); print }'; }
waitFor() { # seconds, then a command
    local rounds=$(($1 * 5))
    shift
    for _ in $(seq "$rounds"); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}
running() { pgrep -f 'vorla\.exe' >/dev/null; }
stopped() { ! running; }
# Closes the player as its window's close box would: its list is written as it goes.
closePlayer() { "$wine" taskkill /IM vorla.exe >/dev/null 2>&1 || true; waitFor 10 stopped; }
allInstalled() {
    local file
    for file in vorla.exe open.mp3 README.txt COPYING.txt uninstall.exe; do
        [[ -f "$installed/$file" ]] || return 1
    done
}
uninstalled() { [[ ! -e "$installed" && ! -e "$shortcut" ]] && ! "$wine" reg query "$key" >/dev/null 2>&1; }

"$wine" "$setup" /S
check "the installed files" allInstalled
check "the Start-menu shortcut" test -f "$shortcut"
# reg prints in the console's code page; its export is UTF-16 and says the name as it is.
"$wine" reg export "$key" "Z:${work//\//\\}\\key.reg" >/dev/null 2>&1 || true
check "DisplayName in the registry" grep -q '"DisplayName"="Vorla音乐播放器"' \
    <(iconv -f UTF-16 -t UTF-8 "$work/key.reg" 2>/dev/null | tr -d '\r')
check "DisplayVersion $version" test "$(value DisplayVersion)" = "$version"
check "Publisher" test -n "$(value Publisher)"
check "DisplayIcon" test "$(value DisplayIcon)" = "C:\\users\\$user\\AppData\\Local\\Programs\\Vorla\\vorla.exe,0"
check "QuietUninstallString" test "$(value QuietUninstallString)" = \
    "\"C:\\users\\$user\\AppData\\Local\\Programs\\Vorla\\uninstall.exe\" /S"
check "EstimatedSize" test "$(($(value EstimatedSize)))" -gt 1000
check "no list before the first start" test ! -e "$data/savelist"

# Started through its shortcut, as from the Start menu; closed, it writes its (empty) list.
"$wine" start "C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Vorla.lnk"
check "the shortcut starts the player" waitFor 20 running
sleep 2
# An install while the player runs waits for it, then gives up without touching anything: the
# chime taken away stays away.
rm "$installed/open.mp3"
"$wine" "$setup" /S && status=0 || status=$?
check "a silent install beside a running player fails (status $status)" test "$status" -ne 0
check "and writes nothing" test ! -e "$installed/open.mp3"
closePlayer
check "the player closed" stopped
check "the list written at close, with CR LF" cmp -s "$data/savelist" <(printf '0\r\n')

# An install over an older one upgrades in place and keeps the user's list.
printf '1\r\nC:\\Music\r\n*\r\na.mp3\r\n*\r\n' >"$data/savelist"
cp "$data/savelist" "$work/list"
sleep 1
"$wine" "$setup" /S
check "the upgrade keeps the list" cmp -s "$data/savelist" "$work/list"
check "the upgrade puts back what it installs" allInstalled

"$wine" "$installed/uninstall.exe" /S
check "the uninstaller removes what was installed" waitFor 20 uninstalled
check "and keeps the list" cmp -s "$data/savelist" "$work/list"
"$wine" "$setup" /S
"$wine" "$installed/uninstall.exe" /S /REMOVEDATA
check "asked to, the uninstaller removes the list" waitFor 20 test ! -e "$data"
check "and the rest" uninstalled

# The zip's folder is a portable copy: its list goes beside it, nothing to %APPDATA%.
mkdir "$work/stick"
(cd "$work/stick" && unzip -q "$zip")
stick=$work/stick/Vorla
check "the zip holds a portable copy" test -f "$stick/vorla.exe" -a -f "$stick/open.mp3" \
    -a -f "$stick/portable" -a -f "$stick/README.txt" -a -f "$stick/COPYING.txt"
"$wine" "$stick/vorla.exe" &
check "the portable copy starts" waitFor 20 running
sleep 2
closePlayer
wait || true
check "its list is in its data folder" cmp -s "$stick/data/savelist" <(printf '0\r\n')
check "and nothing in %APPDATA%" test ! -e "$data"
exit $failed
