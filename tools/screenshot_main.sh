#!/bin/sh
# Takes the picture of the main window for the documentation: starts the
# player on a private Xvfb display with its own empty home, plays a generated
# silent MP3 with Chinese tags and, once the caption has said "[播放中...]"
# for a moment, cuts the window from the screen into docs/main-window.png.
# Usage: tools/screenshot_main.sh [path/to/Liravo]   (default: build/Liravo)
# Needs Xvfb, xwininfo and ImageMagick (tools/deps.sh installs them).
set -eu
cd "$(dirname "$0")/.."
bin=${1:-build/Liravo}
out=docs/main-window.png
[ -x "$bin" ] || { echo "screenshot_main: no player at $bin (cmake --build build --target Liravo)" >&2; exit 1; }
for tool in Xvfb xwininfo import python3; do
    command -v "$tool" >/dev/null || { echo "screenshot_main: $tool is missing (tools/deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# A 20-second silent MP3 (MPEG-1 Layer III frames with empty side information)
# behind an ID3v2.3 tag whose title and artist are UTF-16 text.
python3 - "$work/demo.mp3" <<'PY'
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

# Xvfb picks a display number nobody uses and reports it.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
tries=0
until [ -s "$work/display" ]; do
    tries=$((tries + 1))
    [ "$tries" -lt 50 ] || { echo "screenshot_main: Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
display=":$(tr -d '[:space:]' <"$work/display")"

mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
# Not a first run: no browser is started for the introduction page.
mkdir -p "$work/home/.config/Liravo"
sqlite3 "$work/home/.config/Liravo/settings.sqlite3" \
    "CREATE TABLE IF NOT EXISTS settings(app TEXT, section TEXT, key TEXT, value TEXT, PRIMARY KEY(app, section, key));
     INSERT OR REPLACE INTO settings VALUES('Liravo','设置','firstRun','False');"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run" \
    DISPLAY="$display" QT_QPA_PLATFORM=xcb BROWSER=true LIRAVO_AO=null \
    LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
"$bin" "$work/demo.mp3" >"$work/player.log" 2>&1 &
app_pid=$!

# The main window is the top-level window whose caption says it plays.
window=""
tries=0
while [ -z "$window" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 150 ]; then
        echo "screenshot_main: the song did not start; player log:" >&2
        cat "$work/player.log" >&2
        exit 1
    fi
    sleep 0.2
    window=$(xwininfo -display "$display" -root -children 2>/dev/null \
        | grep -F '[播放中...]' | awk '{print $1}' | head -n 1)
done
# Let the labels settle on the song's tags before the picture.
sleep 1.6
mkdir -p docs
import -display "$display" -window "$window" "png:$out.new"
mv "$out.new" "$out"
echo "screenshot_main: $out"
