#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the picture of the main window for the documentation: starts the
# player on a private Xvfb display with its own empty home, plays a generated
# silent MP3 with Chinese tags and, once the caption has said "[播放中...]"
# for a moment, cuts the window from the screen into docs/main-window.png.
# Usage: tools/screenshot_main.sh [path/to/liravo]   (default: build/liravo)
# Needs Xvfb, xwininfo and ImageMagick (tools/deps.sh installs them).
. "$(dirname "$0")/screenshot_helpers.sh"
bin=${1:-build/liravo}
out=docs/main-window.png
need_player "$bin"
start_session 1024x768x24 import python3 sqlite3
not_first_run
python3 tools/mkmp3.py --title "月光小夜曲" --artist "演示乐队" "$work/demo.mp3" 20
start_player "$bin" "$work/demo.mp3"

# The main window is the top-level window whose caption says it plays.
playing_window() {
    window=$(xwininfo -display "$display" -root -children 2>/dev/null \
        | grep -F '[播放中...]' | awk '{print $1}' | head -n 1)
    [ -n "$window" ]
}
wait_until 150 0.2 "the song did not start" playing_window
# Let the labels settle on the song's tags before the picture.
sleep 1.6
mkdir -p docs
import -display "$display" -window "$window" "png:$out.new"
mv "$out.new" "$out"
echo "screenshot_main: $out"
