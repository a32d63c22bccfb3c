#!/bin/sh
# Shows the player's desktop controls at work and takes the picture of the
# main window with its position bar for the documentation. On a virtual X
# display (Xvfb, :54 or the next free one) with a private session bus, it
# plays a generated 30-second MP3, drives the player with gdbus as a desktop
# script would (status and title, pause, play, volume, a seek), prints what
# it sees, and saves the window to docs/position-bar.png.
# Usage: tools/screenshot_controls.sh [build-directory]   (default: build)
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${1:-build}
BIN="$ROOT/$BUILD/Liravo"
OUT="$ROOT/docs/position-bar.png"
[ -x "$BIN" ] || { echo "screenshot_controls.sh: $BIN is missing; build the Liravo target first" >&2; exit 1; }

WORK=$(mktemp -d)
XVFB_PID="" BUS_PID="" PLAYER_PID=""
cleanup() {
    for pid in $PLAYER_PID $BUS_PID $XVFB_PID; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

python3 tools/mkmp3.py --title "月光小夜曲" --artist "演示乐队" "$WORK/song.mp3" 30
mkdir -p "$WORK/cfg/Liravo" "$WORK/run"
chmod 700 "$WORK/run"
# Not a first run: no browser is started for the introduction page.
sqlite3 "$WORK/cfg/Liravo/settings.sqlite3" \
    "CREATE TABLE IF NOT EXISTS settings(app TEXT, section TEXT, key TEXT, value TEXT, PRIMARY KEY(app, section, key));
     INSERT OR REPLACE INTO settings VALUES('Liravo','设置','firstRun','False');"

N=54
while [ -e "/tmp/.X11-unix/X$N" ] || [ -e "/tmp/.X$N-lock" ]; do N=$((N + 1)); done
Xvfb ":$N" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
i=0
while [ ! -e "/tmp/.X11-unix/X$N" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
export DISPLAY=":$N"

dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$WORK/bus" 2>/dev/null &
BUS_PID=$!
i=0
while [ ! -s "$WORK/bus" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
BUS=$(head -n1 "$WORK/bus")

HOME="$WORK" XDG_CONFIG_HOME="$WORK/cfg" XDG_RUNTIME_DIR="$WORK/run" \
    DBUS_SESSION_BUS_ADDRESS="$BUS" QT_QPA_PLATFORM=xcb LIRAVO_AO=null \
    "$BIN" "$WORK/song.mp3" >/dev/null 2>&1 &
PLAYER_PID=$!

mpris() { gdbus call --address "$BUS" --dest org.mpris.MediaPlayer2.liravo \
    --object-path /org/mpris/MediaPlayer2 --method "$@"; }
get() { mpris org.freedesktop.DBus.Properties.Get org.mpris.MediaPlayer2.Player "$1"; }
wait_for() { # property, text
    i=0
    until get "$1" 2>/dev/null | grep -q "$2"; do
        i=$((i + 1)); [ $i -lt 100 ] || { echo "no $2 in $1" >&2; exit 1; }; sleep 0.1
    done
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
echo "stored volume: $(sqlite3 "$WORK/cfg/Liravo/settings.sqlite3" "SELECT value FROM settings WHERE section='设置' AND key='音量'")"
mpris org.mpris.MediaPlayer2.Player.SetPosition /org/mpris/MediaPlayer2/liravo/track/1 12000000 >/dev/null
sleep 0.6

WIN=$(xwininfo -root -tree | awk '/Liravo\]/ && /430x/ {print $1; exit}')
[ -n "$WIN" ] || { echo "screenshot_controls.sh: main window not found" >&2; exit 1; }
mkdir -p "$ROOT/docs"
import -window "$WIN" "$OUT"
echo "saved $OUT"
