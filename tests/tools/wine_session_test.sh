#!/usr/bin/env bash
# The Wine harness deletes or makes again only a prefix it made itself, and never falls back
# to WINEPREFIX. Needs TOOLS (the tools folder). Everything happens in a scratch folder, with
# HOME and WINEPREFIX inside it: a developer's own ~/.wine is never at stake.
set -uo pipefail
: "${TOOLS:?the tools folder}"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/wine-session-test.XXXXXX")
build=$scratch/build
prefix=$build/wineprefix
export HOME=$scratch/home
export WINEPREFIX=$HOME/.wine
own=$WINEPREFIX
# Ends Wine in both prefixes, also in the developer's one should the harness have started it.
trap '"$TOOLS/wine-session" stop "$prefix" 2>/dev/null
    (source "$TOOLS/wine-env.sh" "$own" && wineserver -k) >/dev/null 2>&1
    rm -rf "$scratch"' EXIT

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# A developer's own prefix, in a state that wine-session would once have replaced.
mkdir -p "$WINEPREFIX/drive_c"
echo own >"$WINEPREFIX/system.reg"
expect_untouched() {
    [ "$(cat "$WINEPREFIX/system.reg" 2>/dev/null)" = own ] || fail "$1 touched the developer's prefix"
}

for action in start stop remove; do
    "$TOOLS/wine-session" "$action" "$WINEPREFIX" 2>"$scratch/error" &&
        fail "wine-session $action accepted a prefix it did not make"
    grep -qF "$WINEPREFIX" "$scratch/error" ||
        fail "wine-session $action gave no reason: $(cat "$scratch/error")"
    expect_untouched "wine-session $action"
done

# Outside a build folder and without --prefix, wine-run has no prefix to use.
(cd "$scratch" && "$TOOLS/wine-run" cmd.exe /c echo) 2>"$scratch/error" &&
    fail "wine-run ran without --prefix outside a build folder"
expect_untouched "wine-run"

# Inside a build folder it uses that folder's own prefix. A first try where Wine cannot start
# (too little address space) leaves a half-made prefix behind, which the next run makes again.
mkdir -p "$build/tests"
touch "$build/CMakeCache.txt"
(ulimit -v 300000 && cd "$build/tests" && "$TOOLS/wine-run" cmd.exe /c echo) >/dev/null 2>&1 &&
    fail "Wine started with 300 MB of address space: the half-made prefix cannot be tested"
[ -d "$prefix" ] || fail "wine-run did not start making $prefix"
echo stale >"$prefix/stale"
out=$(cd "$build/tests" && "$TOOLS/wine-run" cmd.exe /c echo made | tr -d '\r')
[ "$out" = made ] || fail "wine-run in the build folder's prefix printed [$out]"
[ ! -e "$prefix/stale" ] || fail "the half-made prefix was used as it was, not made again"
expect_untouched "wine-run in a build folder"

"$TOOLS/wine-session" remove "$prefix" || fail "wine-session refused to delete its own prefix"
[ ! -e "$prefix" ] || fail "wine-session remove left $prefix"
