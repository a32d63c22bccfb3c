#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays a list-loop of five one-second songs through the real audio engine for
# N song changes (default 1000) and prints how resident memory and open
# descriptors grew per song after the warm-up. With --heaptrack it runs under
# heaptrack and prints what was still allocated at the end.
#   sh bench/soak.sh [changes] [--timed] [--heaptrack]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
cmake --build "$build" --target engine_soak -j2 >/dev/null
changes=1000
timed=
heaptrack=
for a in "$@"; do
    case $a in
    --timed) timed=--timed ;;
    --heaptrack) heaptrack=1 ;;
    *) changes=$a ;;
    esac
done
# A private cache, so the run neither uses nor fills the user's.
cache=$(mktemp -d)
trap 'rm -rf "$cache"' EXIT
if [ -n "$heaptrack" ] && ! command -v heaptrack >/dev/null; then
    echo "soak.sh: heaptrack is missing (LIRAVO_BENCH_PEERS=1 sh tools/deps.sh installs it)" >&2
    exit 1
fi
if [ -n "$heaptrack" ]; then
    XDG_CACHE_HOME=$cache heaptrack -o "$cache/soak" "$build/bench/engine_soak" "$changes" 100 $timed
    heaptrack_print -f "$cache"/soak*.zst --print-leaks 1 --print-peaks 0 --print-allocators 0 \
        --print-temporary 0 | tail -n 40
else
    XDG_CACHE_HOME=$cache "$build/bench/engine_soak" "$changes" 100 $timed
fi
