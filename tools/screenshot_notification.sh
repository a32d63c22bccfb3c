#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the player on a private Xvfb display with a notification daemon
# (dunst) on a private session bus, plays a song whose tags carry a cover,
# and saves the bubble the player shows for it as docs/notification.png.
#
#   tools/screenshot_notification.sh [path/to/liravo]      (default: build/liravo)
#
# Needs Xvfb, dunst, dbus-daemon, ImageMagick, python3 and sqlite3
# (`LIRAVO_DOC_TOOLS=1 sh tools/deps.sh` installs them).
. "$(dirname "$0")/screenshot_helpers.sh"

bin=${1:-build/liravo}
out=docs/notification.png
need_player "$bin"
start_session 800x400x24 import convert dunst dbus-daemon python3 sqlite3

# A bus of the script's own, so the desktop's daemon never sees the bubble.
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$work/bus.pid")
pids="$pids $(cat "$work/bus.pid")"
export DBUS_SESSION_BUS_ADDRESS="$bus"

font=$(fc-match -f '%{family}' 'WenQuanYi Zen Hei' 2>/dev/null | cut -d, -f1)
cat >"$work/dunstrc" <<CONF
[global]
    font = ${font:-Sans} 12
    width = 360
    height = 140
    origin = top-right
    offset = 12x12
    frame_width = 1
    frame_color = "#8a9aaa"
    icon_position = left
    min_icon_size = 96
    max_icon_size = 96
    format = "<b>%s</b>\n%b"
    padding = 12
    horizontal_padding = 12
[urgency_normal]
    background = "#2b3540"
    foreground = "#ffffff"
    timeout = 0
CONF
dunst -config "$work/dunstrc" >"$work/dunst.log" 2>&1 &
pids="$pids $!"
wait_until 50 0.1 "dunst did not take the notification service" \
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetNameOwner org.freedesktop.Notifications

# A song with title, singer, album and an embedded cover.
convert -size 300x300 gradient:'#f3c06b'-'#b5482f' -fill white ${font:+-font "$(fc-match -f '%{file}' "$font")"} \
    -pointsize 64 -gravity center -annotate +0+0 '稻香' "$work/cover.jpg"
python3 tools/mkmp3.py "$work/稻香.mp3" 30 --title 稻香 --artist 周杰伦 --album 魔杰座 --cover "$work/cover.jpg"

not_first_run
sqlite3 "$XDG_CONFIG_HOME/Liravo/settings.sqlite3" \
    "INSERT OR REPLACE INTO settings VALUES('Liravo','设置','歌曲通知','总是');"
start_player "$bin" "$work/稻香.mp3"

bubble() {
    xwininfo -display "$display" -root -children 2>/dev/null | grep -q '"Dunst"'
}
wait_until 100 0.1 "no bubble appeared" bubble
sleep 1
geometry=$(xwininfo -display "$display" -root -children | grep '"Dunst"' | grep -o '[0-9]*x[0-9]*+[0-9]*+[0-9]*' | head -n 1)
import -display "$display" -window root "$work/screen.png"
mkdir -p docs
convert "$work/screen.png" -crop "$geometry" +repage -bordercolor "#5b6b7b" -border 16 "$out"
echo "screenshot_notification: $out (bubble $geometry)"
