#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the picture of the player in a native Wayland session for the
# documentation: sway on its headless backend (no screen, no input devices),
# the player inside it on Qt's Wayland platform with the song list open, and
# grim for the picture, docs/wayland-session.png. The script fails when the
# song list covers any part of the main window (sway's own account of where
# it put them, through swaymsg).
# sway refuses to run as root, so as root the script makes (once) the user
# liravo-shot and runs the session as that user.
# Usage: tools/screenshot_wayland.sh [path/to/liravo]   (default: build/liravo)
# Needs sway (with swaymsg), grim, qt6-wayland, python3 and sqlite3
# (`LIRAVO_DOC_TOOLS=1 sh tools/deps.sh`).
set -eu
cd "$(dirname "$0")/.."
root=$PWD
bin=$(realpath "${1:-build/liravo}")
out=docs/wayland-session.png
me=screenshot_wayland
fail() {
    echo "$me: $*" >&2
    exit 1
}
[ -x "$bin" ] || fail "no player at $bin (cmake --build build --target Liravo)"
for tool in sway swaymsg grim python3 sqlite3; do
    command -v "$tool" >/dev/null || fail "$tool is missing"
done

work=$(mktemp -d)
chmod 755 "$work"
pids=""
cleanup() {
    for p in $pids; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

run_as=""
if [ "$(id -u)" = 0 ]; then
    user=liravo-shot
    id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/sh "$user"
    chown "$user" "$work"
    run_as="runuser -u $user --"
fi

# The session's own home and runtime folder, the player marked as not on its
# first run, and a silent song with Chinese tags to show.
$run_as sh -eu -c '
    work=$1
    mkdir -p "$work/home/.config/Liravo" "$work/run"
    chmod 700 "$work/run"
    sqlite3 "$work/home/.config/Liravo/settings.sqlite3" \
        "CREATE TABLE IF NOT EXISTS settings(app TEXT, section TEXT, key TEXT, value TEXT, PRIMARY KEY(app, section, key));
         INSERT OR REPLACE INTO settings VALUES(\"Liravo\",\"设置\",\"firstRun\",\"False\");"
    printf "output HEADLESS-1 resolution 1024x768\ndefault_border normal\n" > "$work/sway.conf"
' sh "$work"
$run_as python3 tools/mkmp3.py --title "月光小夜曲" --artist "演示乐队" "$work/demo.mp3" 20

session_env="HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
XDG_DATA_HOME=$work/home/.local/share XDG_RUNTIME_DIR=$work/run LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8"
# shellcheck disable=SC2086
$run_as env -i PATH=/usr/bin:/bin $session_env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
pids="$pids $!"

tries=0
until [ -S "$work/run/wayland-1" ]; do
    tries=$((tries + 1))
    [ "$tries" -lt 100 ] || { cat "$work/sway.log" >&2; fail "sway did not start"; }
    sleep 0.1
done

# shellcheck disable=SC2086
$run_as env -i PATH=/usr/bin:/bin $session_env WAYLAND_DISPLAY=wayland-1 QT_QPA_PLATFORM=wayland \
    LIRAVO_AO=null QT_LOGGING_RULES="liravo.window.debug=true" \
    "$bin" "$work/demo.mp3" >"$work/player.log" 2>&1 &
pids="$pids $!"

tries=0
until grep -qF '[播放中...]' "$work/player.log" 2>/dev/null; do
    tries=$((tries + 1))
    [ "$tries" -lt 150 ] || { cat "$work/player.log" >&2; fail "the song did not start"; }
    sleep 0.2
done
# The song list opens on the first activation; let both windows settle.
sleep 3
# shellcheck disable=SC2086
$run_as env -i PATH=/usr/bin:/bin $session_env WAYLAND_DISPLAY=wayland-1 \
    grim "$work/shot.png"
# Where sway put the two windows: they must not overlap.
sock=$(ls "$work"/run/sway-ipc.*.sock | head -n 1)
# shellcheck disable=SC2086
$run_as env -i PATH=/usr/bin:/bin SWAYSOCK="$sock" swaymsg -t get_tree >"$work/tree.json"
python3 - "$work/tree.json" <<'CHECK' || fail "the song list covers the main window"
import json, sys
def views(node):
    if node.get("pid") and node.get("name"):
        yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from views(child)
found = {}
for v in views(json.load(open(sys.argv[1]))):
    r = v["rect"]
    kind = "song list" if "歌集" in v["name"] else "main window"
    found[kind] = (r["x"], r["y"], r["x"] + r["width"], r["y"] + r["height"])
    print(f"{kind}: {v['name']} at {r['x']},{r['y']} {r['width']}x{r['height']}"
          f" ({'floating' if v['type'] == 'floating_con' else 'tiled'})")
a, b = found["main window"], found["song list"]
sys.exit(1 if a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3] else 0)
CHECK
mkdir -p docs
cp "$work/shot.png" "$out.new"
mv "$out.new" "$out"
echo "$me: $out"
