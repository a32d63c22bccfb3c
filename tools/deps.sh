#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs, with apt-get, whatever Liravo needs to build, run and test that is
# not already on the machine, and generates the zh_CN.UTF-8 locale the tests use.
# This file is the one place that lists the packages.
set -eu

PACKAGES="
build-essential cmake pkg-config git ccache
qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6network6 libqt6opengl6-dev
libgstreamer1.0-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
gstreamer1.0-plugins-ugly gstreamer1.0-plugins-bad gstreamer1.0-libav libsoup-3.0-0
gstreamer1.0-tools
libsqlite3-dev sqlite3 libtag1-dev libicu-dev
qt6-wayland
libgtest-dev libgmock-dev libbenchmark-dev
clang libclang-rt-14-dev
fonts-wqy-zenhei locales qt6-translations-l10n dbus-daemon
xvfb x11-utils xauth trayer xdg-utils shared-mime-info desktop-file-utils imagemagick
dbus-daemon dbus-bin libglib2.0-bin
python3
appstream file flac vorbis-tools opus-tools sox
"

# Only for bench/peers (a private PulseAudio null sink and the peer players)
# and `bench/soak.sh --heaptrack`; installed when LIRAVO_BENCH_PEERS=1, never
# needed to build or test.
BENCH_PACKAGES="pulseaudio pulseaudio-utils audacious qmmp dbus libx11-dev heaptrack"
if [ "${LIRAVO_BENCH_PEERS:-0}" = 1 ]; then
    PACKAGES="$PACKAGES $BENCH_PACKAGES"
fi

# Only for the pictures in docs/ and the package checks (a notification
# daemon, a headless Wayland compositor and its screenshot tool, lintian, a
# clean root for tools/footprint.sh); installed when LIRAVO_DOC_TOOLS=1.
DOC_PACKAGES="dunst sway grim lintian debootstrap"
if [ "${LIRAVO_DOC_TOOLS:-0}" = 1 ]; then
    PACKAGES="$PACKAGES $DOC_PACKAGES"
fi

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    if [ "$(id -u)" != 0 ]; then
        echo "deps.sh: missing packages:$missing (run as root to install them)" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends $missing
fi

# The tests switch to zh_CN.UTF-8 to check the player under a Chinese locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    if [ "$(id -u)" = 0 ]; then
        if ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
            echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
        fi
        locale-gen >/dev/null
    else
        echo "deps.sh: the zh_CN.UTF-8 locale is missing (run as root to generate it)" >&2
    fi
fi
