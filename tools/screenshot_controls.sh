#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Shows the player's desktop controls at work and takes the picture of the
# main window with its position bar for the documentation. On a virtual X
# display (Xvfb, on a free display number) with a private session bus, it
# plays a generated 30-second MP3, drives the player with gdbus as a desktop
# script would (status and title, pause, play, volume, a seek), prints what
# it sees, and saves the window to docs/position-bar.png.
# Usage: tools/screenshot_controls.sh [build-directory]   (default: build)
. "$(dirname "$0")/screenshot_helpers.sh"
ROOT=$(pwd)
BUILD=${1:-build}
BIN="$ROOT/$BUILD/liravo"
OUT="$ROOT/docs/position-bar.png"
need_player "$BIN"
start_session 800x600x24 import python3 sqlite3 gdbus dbus-daemon
not_first_run
python3 tools/mkmp3.py --title "月光小夜曲" --artist "演示乐队" "$work/song.mp3" 30

dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus" 2>/dev/null &
pids="$pids $!"
wait_until 50 0.1 "the session bus did not start" test -s "$work/bus"
BUS=$(head -n1 "$work/bus")

export DBUS_SESSION_BUS_ADDRESS="$BUS"
start_player "$BIN" "$work/song.mp3"

mpris() { gdbus call --address "$BUS" --dest org.mpris.MediaPlayer2.liravo \
    --object-path /org/mpris/MediaPlayer2 --method "$@"; }
get() { mpris org.freedesktop.DBus.Properties.Get org.mpris.MediaPlayer2.Player "$1"; }
has() { # property, text
    get "$1" 2>/dev/null | grep -q "$2"
}
wait_for() { # property, text
    wait_until 100 0.1 "no $2 in $1" has "$1" "$2"
}

wait_for PlaybackStatus Playing
wait_for Metadata "月光小夜曲"
sleep 2
echo "PlaybackStatus: $(get PlaybackStatus)"
echo "Metadata: $(get Metadata)"
mpris org.mpris.MediaPlayer2.Player.Pause >/dev/null
wait_for PlaybackStatus Paused
sleep 0.2
before=$(get Position); sleep 1; after=$(get Position)
echo "paused: Position $before, a second later $after"
mpris org.mpris.MediaPlayer2.Player.Play >/dev/null
sleep 1
echo "playing again: Position $(get Position)"
mpris org.freedesktop.DBus.Properties.Set org.mpris.MediaPlayer2.Player Volume "<0.5>" >/dev/null
sleep 0.3
echo "stored volume: $(sqlite3 "$XDG_CONFIG_HOME/Liravo/settings.sqlite3" "SELECT value FROM settings WHERE section='设置' AND key='音量'")"
mpris org.mpris.MediaPlayer2.Player.SetPosition /org/mpris/MediaPlayer2/liravo/track/1 12000000 >/dev/null
sleep 0.6

WIN=$(xwininfo -root -tree | awk '/Liravo\]/ && /430x/ {print $1; exit}')
[ -n "$WIN" ] || fail "main window not found"
mkdir -p "$ROOT/docs"
import -window "$WIN" "$OUT"
echo "saved $OUT"
