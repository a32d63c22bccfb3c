#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up time, memory, CPU and wakeups of Liravo beside peer players, each
# in its own Xvfb display with a copy of a warm HOME, playing on a private
# PulseAudio null sink.
#   sh bench/peers/run.sh [RUNS] [run.py options]   (default 5 runs; prints tables)
set -eu
cd "$(dirname "$0")/../.."
# The peers, PulseAudio and gst-launch are only needed here.
LIRAVO_BENCH_PEERS=1 sh tools/deps.sh
runs="${1:-5}"
[ $# -gt 0 ] && shift
cmake --preset default >/dev/null
cmake --build build -j"$(nproc)" --target Liravo
mkdir -p build/bench-peers
cc -O2 -o build/bench-peers/xmapwait bench/peers/xmapwait.c -lX11
exec python3 bench/peers/run.py --liravo "$PWD/build/liravo" \
    --xmapwait "$PWD/build/bench-peers/xmapwait" --runs "$runs" "$@"
