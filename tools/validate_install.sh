#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a build into a scratch folder as the package lays it out (/usr) and
# checks the desktop entry and the AppStream metainfo there, the way software
# centres read them. Usage: tools/validate_install.sh <build-folder>
set -eu
build=${1:?usage: validate_install.sh <build-folder>}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT INT TERM

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
desktop-file-validate "$root/usr/share/applications/Liravo.desktop"
appstreamcli validate --no-net --strict "$root"/usr/share/metainfo/*.metainfo.xml
# The metainfo, the desktop entry it launches and the icon must agree.
appstreamcli validate-tree --no-net --strict "$root"
echo "validate_install.sh: desktop entry and metainfo are valid"
