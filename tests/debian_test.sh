#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that the Debian packaging agrees with the project: one version in CMake, the Debian
# changelog, the AppStream release and the manual page; and Build-Depends equal to the build
# and test groups of debian-packages.txt, the test ones marked <!nocheck>.
set -euo pipefail
top=$1
version=$2
status=0

same_version() { # where, version found
    [[ "$2" == "$version" ]] || { echo "$1 says version '$2', CMake $version"; status=1; }
}
same_version debian/changelog "$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)"
same_version "the AppStream metadata" "$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' \
    "$top/resources/org.vorla.Vorla.metainfo.xml" | head -n 1)"
same_version "the manual page" "$(sed -n 's/^\.TH VORLA 1 [^ ]* "Vorla \([^"]*\)".*/\1/p' \
    "$top/docs/vorla.1")"

# group NAME: the packages of one "## NAME:" group of debian-packages.txt.
group() {
    awk -v head="## $1:" 'index($0, "## ") == 1 { on = index($0, head) == 1; next }
                          on && NF && $1 !~ /^#/ { print $1 }' "$top/debian-packages.txt"
}
expected=$(
    echo debhelper-compat
    # Policy makes build-essential implied; naming it in control is an error.
    group build | grep -vx build-essential
    group test | sed 's/$/ <!nocheck>/'
)
actual=$(perl -MDpkg::Control::Info -MDpkg::Deps -e '
    my $deps = deps_parse(Dpkg::Control::Info->new($ARGV[0])->get_source->{"Build-Depends"},
                          build_dep => 1);
    for my $dep ($deps->get_deps) {
        my @profiles = map { "<" . join(" ", @$_) . ">" } @{$dep->{restrictions} // []};
        print join(" ", $dep->{package}, @profiles), "\n";
    }' "$top/debian/control")
if ! diff <(sort <<<"$expected") <(sort <<<"$actual") >/dev/null; then
    echo "debian/control's Build-Depends (>) differ from debian-packages.txt (<):"
    diff <(sort <<<"$expected") <(sort <<<"$actual") || true
    status=1
fi
[[ -n "$(group build)" && -n "$(group test)" ]] || { echo "no build or test group"; status=1; }
exit $status
