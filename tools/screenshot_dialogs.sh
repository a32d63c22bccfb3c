#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the open-file dialog, the question asked before a collection is
# dropped (Yes/No in Chinese; alone and over the main window), the updater
# and scan windows, and the song list with a song marked unplayable and its
# reason, with the colours of a fresh settings store, into docs/*.png.
#
#   tools/screenshot_dialogs.sh
#
# Builds the liravo_screenshots helper (tools/screenshots.cpp) in build/ and
# runs it on Qt's offscreen platform, so no display is needed.
set -eu
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
cmake --build build --target liravo_screenshots >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
# What the open dialog lists: a few songs and a collection.
for f in 春日来信.mp3 山间小路.mp3 夜色温柔.mp3 夜晚的歌.yyu; do
    : >"$work/$f"
done
mkdir -p docs "$work/run"
chmod 700 "$work/run"
HOME="$work" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
    LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 \
    build/tests/liravo_screenshots docs "$work"
