#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and starts the player (arguments go to it).
set -eu
cd "$(dirname "$0")/.."
sh tools/deps.sh
cmake --preset default >/dev/null
cmake --build build -j"$(nproc)" --target Liravo
exec ./build/liravo "$@"
