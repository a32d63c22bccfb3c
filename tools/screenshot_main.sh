#!/bin/sh
# Takes the picture of the main window for the documentation: starts the
# player on a virtual X display (Xvfb, with trayer as the tray host) or, where
# there is none, on the offscreen platform, plays a generated silent MP3 with
# Chinese tags, and has the player save its window to docs/main-window.png.
# Usage: tools/screenshot_main.sh [build-directory]   (default: build)
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${1:-build}
BIN="$ROOT/$BUILD/Liravo"
OUT="$ROOT/docs/main-window.png"
[ -x "$BIN" ] || { echo "screenshot_main.sh: $BIN is missing; build the Liravo target first" >&2; exit 1; }

WORK=$(mktemp -d)
XVFB_PID=""
TRAYER_PID=""
cleanup() {
    [ -n "$TRAYER_PID" ] && kill "$TRAYER_PID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

# A 20-second silent MP3 (MPEG-1 Layer III frames with empty side information)
# behind an ID3v2.3 tag whose title and artist are UTF-16 text.
python3 - "$WORK/demo.mp3" <<'PY'
import struct, sys
def frame(fid, text):
    body = b"\x01" + b"\xff\xfe" + text.encode("utf-16-le")
    return fid + struct.pack(">I", len(body)) + b"\x00\x00" + body
frames = frame(b"TIT2", "月光小夜曲") + frame(b"TPE1", "演示乐队")
size = len(frames)
syncsafe = bytes([(size >> 21) & 0x7F, (size >> 14) & 0x7F, (size >> 7) & 0x7F, size & 0x7F])
header = b"ID3\x03\x00\x00" + syncsafe
mp3frame = b"\xff\xfb\x90\x00" + bytes(417 - 4)   # 128 kbit/s, 44.1 kHz
with open(sys.argv[1], "wb") as f:
    f.write(header + frames + mp3frame * int(20 * 44100 / 1152))
PY

mkdir -p "$WORK/cfg/Liravo" "$WORK/run"
chmod 700 "$WORK/run"
# Not a first run: no browser is started for the introduction page.
sqlite3 "$WORK/cfg/Liravo/settings.sqlite3" \
    "CREATE TABLE IF NOT EXISTS settings(app TEXT, section TEXT, key TEXT, value TEXT, PRIMARY KEY(app, section, key));
     INSERT OR REPLACE INTO settings VALUES('Liravo','设置','firstRun','False');"

PLATFORM=offscreen
if command -v Xvfb >/dev/null 2>&1; then
    DISPLAY_NUMBER=97
    while [ -e "/tmp/.X11-unix/X$DISPLAY_NUMBER" ] || [ -e "/tmp/.X$DISPLAY_NUMBER-lock" ]; do
        DISPLAY_NUMBER=$((DISPLAY_NUMBER + 1))
    done
    Xvfb ":$DISPLAY_NUMBER" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    i=0
    while [ ! -e "/tmp/.X11-unix/X$DISPLAY_NUMBER" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    export DISPLAY=":$DISPLAY_NUMBER"
    PLATFORM=xcb
    if command -v trayer >/dev/null 2>&1; then
        trayer --edge bottom --align right --widthtype pixel --width 64 >/dev/null 2>&1 &
        TRAYER_PID=$!
        sleep 0.5
    fi
fi

mkdir -p "$ROOT/docs"
rm -f "$OUT.new"
HOME="$WORK" XDG_CONFIG_HOME="$WORK/cfg" XDG_RUNTIME_DIR="$WORK/run" \
    QT_QPA_PLATFORM=$PLATFORM LIRAVO_AO=null \
    LIRAVO_SCREENSHOT="$OUT.new" LIRAVO_SCREENSHOT_QUIT=1 \
    timeout 60 "$BIN" "$WORK/demo.mp3"
mv "$OUT.new" "$OUT"
echo "saved $OUT"
