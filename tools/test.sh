#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test headless.
set -eu
cd "$(dirname "$0")/.."
sh tools/deps.sh
cmake --preset default >/dev/null
cmake --build build -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
# A session bus of their own for the whole run, so no test reaches the
# desktop's bus (the media-control tests also start private daemons).
dbus-run-session -- ctest --test-dir build --output-on-failure -j"$(nproc)"
