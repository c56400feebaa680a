# Sourced with the prefix folder as $1: the environment every Wine run of the project uses.
# 64-bit Wine only (the kernel refuses 32-bit Linux executables); its loader is wine64.
# An empty or relative $1 is refused: Wine would fall back to ~/.wine or whatever WINEPREFIX
# the caller's environment holds.
case "${1:-}" in
/*) ;;
*)
    echo "wine-env.sh: needs the prefix folder as an absolute path, got [${1:-}]" >&2
    return 2
    ;;
esac
export WINEPREFIX="$1"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko install prompts in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
# A Japanese Windows: Japanese texts, ANSI code page 932.
export LC_ALL=ja_JP.UTF-8
case ":$PATH:" in *:/usr/lib/wine:*) ;; *) export PATH="/usr/lib/wine:$PATH" ;; esac
