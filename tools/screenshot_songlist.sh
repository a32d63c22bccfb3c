#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the player on a private Xvfb display, hands it a Chinese song
# collection (a .yyu file in GB18030, as the player writes them) through a
# second copy, as opening the file from a file manager does, and saves the
# song list window beside the main window as docs/songlist-window.png.
#
#   tools/screenshot_songlist.sh [path/to/liravo]      (default: build/liravo)
#
# Needs Xvfb, xwininfo and ImageMagick (tools/deps.sh installs them). The
# player runs with its own empty home folder, so the user's settings and
# collections are not touched; "first run" opens no browser (BROWSER=true).
. "$(dirname "$0")/screenshot_helpers.sh"

bin=${1:-build/liravo}
out=docs/songlist-window.png
need_player "$bin"
start_session 1024x480x24 import convert iconv

# The collection: album line, online songs with and without singer, one local file.
collection="$work/夜晚的歌.yyu"
printf '%s\r\n' \
    "夜晚的歌" \
    "林晓|春日来信" \
    "|山间小路" \
    "陈默|夜色温柔" \
    "王小雨|海边的风" \
    "|晚安，城市" \
    "赵一鸣|故乡的云" \
    "|雨后.mp3|$work/雨后.mp3" \
    | iconv -f UTF-8 -t GB18030 >"$collection"

# The player is started empty, and the collection is then opened the way a
# file manager opens it: a second copy hands the file to the running one and
# ends.
start_player "$bin"

# Geometry "WxH+X+Y" of the song list window (its caption ends in the
# marker), or of the widest other top-level window: the main window.
windows() {
    xwininfo -display "$display" -root -children 2>/dev/null | grep '^ *0x' || true
}
geometry() {
    windows | grep -F "$1" | grep -o '[0-9]*x[0-9]*+[0-9]*+[0-9]*' | head -n 1
}
# The caption of the top-level window with geometry $1.
caption() {
    windows | grep -F " $1 " | head -n 1 | sed -n 's/^ *0x[0-9a-f]* "\(.*\)": .*/\1/p'
}
widest_other() {
    windows | grep -v -F "$1" | grep -o '[0-9]*x[0-9]*+[0-9]*+[0-9]*' \
        | sort -t x -k 1,1 -n -r | head -n 1
}

both_windows() {
    list=$(geometry "[创建属于我的歌集]")
    main=$(widest_other "[创建属于我的歌集]")
    # Qt's helper windows are a few pixels wide; the main window is not.
    case "$main" in [0-9]x* | [0-9][0-9]x*) main="" ;; esac
    [ -n "$main" ] && [ -n "$list" ]
}
wait_until 100 0.1 "the windows did not appear" both_windows
if ! timeout 30 "$bin" "$collection" >"$work/second.log" 2>&1; then
    fail "the second copy did not hand the file over"
fi
# The running copy collects it on its next tick; then both windows repaint.
sleep 2

# There is no window manager on the display, so no title bars: each window
# is cut from the screen, given a plain title strip with the caption it set,
# and laid on a neutral backdrop at its place.
backdrop="#5b6b7b"
margin=16
bar=24
font=$(fc-match -f '%{file}' 'WenQuanYi Zen Hei' 2>/dev/null || true)
import -display "$display" -window root "$work/screen.png"
titled() { # geometry, output
    w=${1%%x*}
    set -- "$1" "$2" "$(caption "$1")"
    convert -size "${w}x$bar" xc:"#2b3540" ${font:+-font "$font"} -pointsize 13 -fill white \
        -gravity west -annotate +8+0 "$3" +gravity \
        \( "$work/screen.png" -crop "$1" +repage \) -append "$2"
}
titled "$main" "$work/main.png"
titled "$list" "$work/list.png"

set -- $(printf '%s %s\n' "$main" "$list" | tr 'x+' '  ')
mw=$1 mh=$2 mx=$3 my=$4 lw=$5 lh=$6 lx=$7 ly=$8
left=$mx top=$my right=$((mx + mw)) bottom=$((my + mh))
[ "$lx" -lt "$left" ] && left=$lx
[ "$ly" -lt "$top" ] && top=$ly
[ $((lx + lw)) -gt "$right" ] && right=$((lx + lw))
[ $((ly + lh)) -gt "$bottom" ] && bottom=$((ly + lh))

mkdir -p docs
convert -size "$((right - left + 2 * margin))x$((bottom - top + bar + 2 * margin))" "xc:$backdrop" \
    "$work/main.png" -geometry "+$((mx - left + margin))+$((my - top + margin))" -composite \
    "$work/list.png" -geometry "+$((lx - left + margin))+$((ly - top + margin))" -composite \
    "$out"
echo "screenshot_songlist: $out (main window $main, song list $list)"
