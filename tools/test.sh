#!/bin/sh
# Installs what is missing, builds, and runs every test headless.
set -eu
cd "$(dirname "$0")/.."
sh tools/deps.sh
cmake --preset default >/dev/null
cmake --build build -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
ctest --test-dir build --output-on-failure -j"$(nproc)"
