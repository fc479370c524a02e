# SPDX-License-Identifier: GPL-3.0-or-later
# Summarises bench/peers results: lines "PLAYER RUN key=value ...", PLAYER vorla or audacious.
# Per figure: each player's median (min..max), the ratio of the medians, and the median of the
# ratios of run pairs (Vorla's run i against Audacious' run i).

function sorted(values, n, out,    i, j, v) {
    for (i = 1; i <= n; i++) {
        v = values[i]
        for (j = i - 1; j >= 1 && out[j] > v; j--)
            out[j + 1] = out[j]
        out[j + 1] = v
    }
}

function median(values, n,    s) {
    sorted(values, n, s)
    return n % 2 ? s[(n + 1) / 2] : (s[n / 2] + s[n / 2 + 1]) / 2
}

function spread(values, n,    s) {
    sorted(values, n, s)
    return sprintf("%.*f..%.*f", digits, s[1], digits, s[n])
}

{
    player = $1
    run = $2
    if (run == "warmup")
        next
    for (i = 3; i <= NF; i++) {
        split($i, pair, "=")
        value[player, run, pair[1]] = pair[2]
    }
    if (!((player, run) in seen)) {
        seen[player, run] = 1
        order[player, ++count[player]] = run
    }
}

function row(label, key, scale, places,    i, n, v, a, r, vm, am, run) {
    digits = places
    n = 0
    for (i = 1; i <= count["vorla"] && i <= count["audacious"]; i++) {
        run = order["vorla", i]
        n++
        v[n] = value["vorla", run, key] / scale
        a[n] = value["audacious", order["audacious", i], key] / scale
        r[n] = a[n] != 0 ? v[n] / a[n] : 0
    }
    if (n == 0)
        return
    vm = median(v, n)
    am = median(a, n)
    printf "%-34s %9.*f %-17s %9.*f %-17s %6.2f %6.2f\n", label, places, vm, "(" spread(v, n) ")",
        places, am, "(" spread(a, n) ")", am != 0 ? vm / am : 0, median(r, n)
}

# Vorla alone: its start-up chime, from the window's map to the first audible sample.
function chimes(places,    i, n, c, run) {
    digits = places
    n = 0
    for (i = 1; i <= count["vorla"]; i++) {
        run = order["vorla", i]
        if (("vorla", run, "chime") in value)
            c[++n] = value["vorla", run, "chime"]
    }
    if (n > 0)
        printf "%-34s %9.*f %-17s\n", "chime, map to first audible (ms)", places, median(c, n),
            "(" spread(c, n) ")"
}

END {
    printf "\n%-34s %27s %27s %6s %6s\n", "median (min..max) of " count["vorla"] " runs", "Vorla",
        "Audacious", "ratio", "pairs"
    row("start-up, exec to map (ms)", "startup", 1, 1)
    row("RSS idle (MiB)", "idle", 1024, 1)
    row("peak RSS playing, VmHWM (MiB)", "hwm", 1024, 1)
    row("RSS after " seconds " s playing (MiB)", "rss", 1024, 1)
    row("CPU to play " seconds " s (s)", "cpu", 1000, 2)
    row("first audible sample (ms)", "first", 1, 1)
    chimes(1)
    print "ratio = Vorla median / Audacious median; pairs = median of the per-pair ratios."
}
