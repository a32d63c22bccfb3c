#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the lyrics window following a song with a GBK .lrc file (with
# translation lines) and the desktop lyrics over a half light, half dark
# window, unlocked and locked, into docs/*.png.
#
#   tools/screenshot_lyrics.sh
#
# Builds the liravo_lyrics_screenshots helper (tools/lyrics_screenshots.cpp)
# in build/ and runs it on Qt's offscreen platform, so no display is needed.
set -eu
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
cmake --build build --target liravo_lyrics_screenshots >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p docs "$work/run"
chmod 700 "$work/run"
HOME="$work" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
    LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 \
    build/tests/liravo_lyrics_screenshots docs
