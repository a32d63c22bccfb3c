#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the player under a window manager (openbox) on a private Xvfb
# display and saves the screen with the main window and the song list window
# as docs/songlist-frames.png. It also measures both windows' outer frames and
# fails when their top edges are not level.
#
#   tools/screenshot_frames.sh [path/to/liravo]      (default: build/liravo)
#
# Needs Xvfb, xwininfo, xprop and ImageMagick (tools/deps.sh installs them)
# and openbox, which only this script uses: apt-get install openbox. The
# player runs with its own empty home folder.
. "$(dirname "$0")/screenshot_helpers.sh"

bin=${1:-build/liravo}
out=docs/songlist-frames.png
need_player "$bin"
start_session 1280x520x24 xprop import convert openbox
openbox >"$work/openbox.log" 2>&1 &
pids="$pids $!"
sleep 1
start_player "$bin"

# The player's two framed windows, by their class; the song list's caption
# ends in the marker.
client() { # marker present (1) or absent (0)
    xwininfo -display "$display" -root -tree 2>/dev/null | grep -F '("Liravo" "Liravo")' \
        | if [ "$1" = 1 ]; then grep -F "[创建属于我的歌集]"; else grep -v -F "[创建属于我的歌集]"; fi \
        | head -n 1 | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p'
}
# "left top right bottom" of a window's outer frame.
frame() {
    [ -n "$1" ] || return 0
    info=$(xwininfo -display "$display" -id "$1")
    x=$(echo "$info" | sed -n 's/.*Absolute upper-left X: *//p')
    y=$(echo "$info" | sed -n 's/.*Absolute upper-left Y: *//p')
    w=$(echo "$info" | sed -n 's/.*Width: *//p')
    h=$(echo "$info" | sed -n 's/.*Height: *//p')
    set -- $(xprop -display "$display" -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ,)
    [ $# -eq 4 ] || return 0
    echo "$((x - $1)) $((y - $3)) $((x + w + $2)) $((y + h + $4))"
}

both_frames() {
    main=$(frame "$(client 0)")
    list=$(frame "$(client 1)")
    [ -n "$main" ] && [ -n "$list" ]
}
wait_until 100 0.1 "the windows did not appear" both_frames
# The song list follows its frame once the window manager has drawn it.
sleep 2
both_frames || fail "the windows went away"

set -- $main $list
left=$1 top=$2 right=$7 bottom=$4
[ "$6" -gt "$top" ] || top=$6
[ "$8" -lt "$bottom" ] || bottom=$8
margin=16
import -display "$display" -window root "$work/screen.png"
mkdir -p docs
convert "$work/screen.png" -crop "$((right - left + 2 * margin))x$((bottom - top + 2 * margin))+$((left - margin))+$((top - margin))" +repage "$out"
echo "screenshot_frames: $out (main frame $main, song list frame $list)"
if [ "$2" != "$6" ]; then
    fail "the frames are not level: top $2 against $6"
fi
