#!/bin/sh
# Starts the player under a window manager (openbox) on a private Xvfb
# display and saves the screen with the main window and the song list window
# as docs/songlist-frames.png. It also measures both windows' outer frames and
# fails when their top edges are not level.
#
#   tools/screenshot_frames.sh [path/to/Liravo]      (default: build/Liravo)
#
# Needs Xvfb, xwininfo, xprop and ImageMagick (tools/deps.sh installs them)
# and openbox, which only this script uses: apt-get install openbox. The
# player runs with its own empty home folder.
set -eu
cd "$(dirname "$0")/.."

bin=${1:-build/Liravo}
out=docs/songlist-frames.png
[ -x "$bin" ] || { echo "screenshot_frames: no player at $bin" >&2; exit 1; }
for tool in Xvfb xwininfo xprop import convert openbox; do
    command -v "$tool" >/dev/null || { echo "screenshot_frames: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
pids=""
cleanup() {
    for p in $pids; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

Xvfb -displayfd 3 -screen 0 1280x520x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids="$!"
tries=0
until [ -s "$work/display" ] && xwininfo -display ":$(tr -d '[:space:]' <"$work/display")" -root >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ "$tries" -lt 50 ] || { echo "screenshot_frames: Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
display=":$(tr -d '[:space:]' <"$work/display")"

mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache" \
    XDG_RUNTIME_DIR="$work/run" DISPLAY="$display" QT_QPA_PLATFORM=xcb \
    LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
openbox >"$work/openbox.log" 2>&1 &
pids="$pids $!"
sleep 1
"$bin" >"$work/player.log" 2>&1 &
pids="$pids $!"

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

main="" list="" tries=0
while [ -z "$main" ] || [ -z "$list" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ]; then
        echo "screenshot_frames: the windows did not appear; player log:" >&2
        cat "$work/player.log" >&2
        exit 1
    fi
    sleep 0.1
    main=$(frame "$(client 0)")
    list=$(frame "$(client 1)")
done
# The song list follows its frame once the window manager has drawn it.
sleep 2
main=$(frame "$(client 0)")
list=$(frame "$(client 1)")

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
    echo "screenshot_frames: the frames are not level: top $2 against $6" >&2
    exit 1
fi
