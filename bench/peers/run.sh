#!/bin/sh
# Start-up time, memory and CPU of Liravo beside peer players, each in its own
# Xvfb display and fresh HOME with no sound device.
#   sh bench/peers/run.sh [RUNS]      (default 5 runs; prints a table)
set -eu
cd "$(dirname "$0")/../.."
sh tools/deps.sh
missing=""
for p in audacious qmmp dbus; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi
cmake --preset default >/dev/null
cmake --build build -j"$(nproc)" --target Liravo
mkdir -p build/bench-peers
cc -O2 -o build/bench-peers/xmapwait bench/peers/xmapwait.c -lX11
exec python3 bench/peers/run.py --liravo "$PWD/build/Liravo" \
    --xmapwait "$PWD/build/bench-peers/xmapwait" --runs "${1:-5}"
