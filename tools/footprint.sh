#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# What a default install (Recommends included) of the package costs on a
# clean Debian 12, beside audacious and qmmp: packages, download and disk, as
# apt reports them in the same minimal root (debootstrap --variant=minbase).
# Nothing is installed; apt is asked and answers "no".
#   sh tools/footprint.sh <liravo_*.deb> [root folder]      (as root)
# The root is made once (about 300 MB) and reused; the mirror is the one apt
# uses on this machine.
set -eu
deb=$(realpath "${1:?usage: footprint.sh <liravo_*.deb> [root]}")
root=${2:-/var/tmp/liravo-footprint-root}
mirror=http://deb.debian.org/debian
if [ ! -x "$root/usr/bin/apt-get" ]; then
    debootstrap --variant=minbase bookworm "$root" "$mirror" >/dev/null
    cat >"$root/etc/apt/sources.list" <<LIST
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
LIST
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    chroot "$root" apt-get update -q >/dev/null
    chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get -y -q upgrade >/dev/null
fi
cp "$deb" "$root/tmp/"
echo "| player | packages | download | disk |"
echo "|---|---|---|---|"
for what in "/tmp/$(basename "$deb")" audacious qmmp; do
    out=$(chroot "$root" apt-get install --assume-no "$what" 2>&1 || true)
    count=$(echo "$out" | sed -n 's/.* \([0-9]*\) newly installed.*/\1/p')
    get=$(echo "$out" | sed -n 's/^Need to get \([0-9.,]* [kMG]*B\).*/\1/p')
    disk=$(echo "$out" | sed -n 's/^After this operation, \([0-9.,]* [kMG]*B\).*/\1/p')
    name=$what
    case "$what" in /tmp/*) name=liravo ;; esac
    echo "| $name | $count | $get | $disk |"
done
