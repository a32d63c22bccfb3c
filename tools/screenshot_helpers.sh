# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the tools/screenshot_*.sh scripts that run the real player on a
# private X display: checks, a work folder and background processes that go
# away on exit, Xvfb, a home of the player's own, and waiting with a limit.
# The script goes on from the source tree's root, stopping at the first error.
set -eu
cd "$(dirname "$0")/.."
me=$(basename "$0" .sh)

fail() {
    echo "$me: $*" >&2
    exit 1
}

need_player() { # path of the program
    [ -x "$1" ] || fail "no player at $1 (cmake --build build --target Liravo)"
}

need_tools() { # command names
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fail "$tool is missing (tools/deps.sh)"
    done
}

work=$(mktemp -d)
pids=""
cleanup() {
    for p in $pids; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# Runs its arguments every `step` seconds until they succeed; after `tries`
# failed attempts it stops the script, showing the player's log once the
# player has been started.
wait_until() { # tries, step, what is missing, command...
    limit=$1 step=$2 what=$3
    shift 3
    tries=0
    until "$@"; do
        tries=$((tries + 1))
        if [ "$tries" -ge "$limit" ]; then
            echo "$me: $what" >&2
            [ -e "$work/player.log" ] && { echo "player log:" >&2; cat "$work/player.log" >&2; }
            exit 1
        fi
        sleep "$step"
    done
}

x_ready() {
    [ -s "$work/display" ] && xwininfo -display ":$(tr -d '[:space:]' <"$work/display")" -root >/dev/null 2>&1
}

# Xvfb on a display number nobody uses (Xvfb picks and reports it), screen
# "WxHxD"; sets $display once the server answers.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    pids="$pids $!"
    wait_until 50 0.1 "Xvfb did not start" x_ready
    display=":$(tr -d '[:space:]' <"$work/display")"
}

# Checks the tools (Xvfb, xwininfo and the ones named), starts Xvfb with a
# screen of "WxHxD" and gives the player its own home on that display.
start_session() { # screen, command names...
    screen=$1
    shift
    need_tools Xvfb xwininfo "$@"
    start_xvfb "$screen"
    private_home
}

# An empty home folder of the player's own under $work/home, so the user's
# settings and collections are not touched, and the display; these reach
# only what the script starts from here on. Screenshots need no sound.
private_home() {
    mkdir -p "$work/home/.config" "$work/run"
    chmod 700 "$work/run"
    export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
        XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache" \
        XDG_RUNTIME_DIR="$work/run" DISPLAY="$display" QT_QPA_PLATFORM=xcb BROWSER=true \
        LIRAVO_AO=null LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
}

# Marks the private home's settings as not a first run, so no browser is
# started for the introduction page.
not_first_run() {
    mkdir -p "$XDG_CONFIG_HOME/Liravo"
    sqlite3 "$XDG_CONFIG_HOME/Liravo/settings.sqlite3" \
        "CREATE TABLE IF NOT EXISTS settings(app TEXT, section TEXT, key TEXT, value TEXT, PRIMARY KEY(app, section, key));
         INSERT OR REPLACE INTO settings VALUES('Liravo','设置','firstRun','False');"
}

# Starts the player in the background with its output in $work/player.log.
start_player() { # program, arguments...
    "$@" >"$work/player.log" 2>&1 &
    pids="$pids $!"
}
