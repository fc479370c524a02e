# SPDX-License-Identifier: GPL-3.0-or-later
# Summarises actions.sh results: lines "PLAYER VIA ACTION [warmup] gone=MS [heard=MS]" or
# "... failed=WHY". Per action and figure, the median (min..max) of each player and way of asking;
# warm-up repeats are left out.

function sorted(values, n, out,    i, j, v) {
    for (i = 1; i <= n; i++) {
        v = values[i]
        for (j = i - 1; j >= 1 && out[j] > v; j--)
            out[j + 1] = out[j]
        out[j + 1] = v
    }
}

# "median (min..max)" of the figures of one series, or "-" when it has none.
function cell(series, key,    n, i, v, s) {
    n = count[series, key]
    if (n == 0)
        return "-"
    for (i = 1; i <= n; i++)
        v[i] = value[series, key, i]
    sorted(v, n, s)
    return sprintf("%.1f (%.1f..%.1f)", n % 2 ? s[(n + 1) / 2] : (s[n / 2] + s[n / 2 + 1]) / 2,
                   s[1], s[n])
}

$4 == "warmup" {
    next
}

{
    series = $1 " " $2 " " $3
    for (i = 4; i <= NF; i++) {
        split($i, pair, "=")
        if (pair[1] == "failed") {
            failed[series]++
            continue
        }
        value[series, pair[1], ++count[series, pair[1]]] = pair[2]
    }
}

function row(label, action, key) {
    printf "%-28s %-22s %-22s %-22s\n", label, cell("vorla window " action, key),
        cell("vorla mpris " action, key), cell("audacious mpris " action, key)
}

END {
    printf "\n%-28s %-22s %-22s %-22s\n", "ms, median (min..max)", "Vorla, window",
        "Vorla, MPRIS", "Audacious, MPRIS"
    row("volume to silence", "volume", "gone")
    row("pause to silence", "pause", "gone")
    row("seek: loud gone", "seek", "gone")
    row("seek: quiet heard", "seek", "heard")
    row("next: first track gone", "next", "gone")
    row("next: second track heard", "next", "heard")
    for (series in failed)
        printf "%s: %d repeats failed (see the per-repeat lines)\n", series, failed[series]
}
