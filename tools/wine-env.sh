# Sourced with the prefix folder as $1: the environment every Wine run of the project uses.
# 64-bit Wine only (the kernel refuses 32-bit Linux executables); its loader is wine64.
export WINEPREFIX="$1"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko install prompts in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Makes Wine's ANSI code page 932, the code page of every text the programs show.
export LC_ALL=ja_JP.UTF-8
case ":$PATH:" in *:/usr/lib/wine:*) ;; *) export PATH="/usr/lib/wine:$PATH" ;; esac
