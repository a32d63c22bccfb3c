#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts the licence tag on the first line (after a shebang) of every source
# file under the source folders that has none; files that have one are left
# as they are, so running it twice changes nothing.
#   sh tools/spdx.sh [root]           tag what lacks the line
#   sh tools/spdx.sh --check [root]   list what lacks it; exit 1 if anything does
set -eu
check=no
if [ "${1:-}" = --check ]; then
    check=yes
    shift
fi
cd "${1:-$(dirname "$0")/..}"
TAG='SPDX-License-Identifier: GPL-3.0-or-later'

# Every folder of the layers, old and new, and the ones around them. Planted
# test trees and fuzz seeds are data, not source.
FOLDERS="base store engine net desktop platform collection online system lyrics playback
mpris ui windows app tests bench fuzz tools resources"

sources() {
    [ -f CMakeLists.txt ] && echo CMakeLists.txt
    for d in $FOLDERS; do
        [ -d "$d" ] || continue
        find "$d" \( -path tests/data -o -path fuzz/corpus \) -prune -o -type f \
            \( -name '*.cpp' -o -name '*.h' -o -name '*.h.in' -o -name '*.sh' -o -name '*.py' \
               -o -name '*.cmake' -o -name CMakeLists.txt \) -print
    done | LC_ALL=C sort
}

# The files whose first two lines carry no tag, read in one pass.
untagged() {
    # shellcheck disable=SC2046
    awk 'FNR == 1 { if (f != "" && !t) print f; f = FILENAME; t = 0 }
         FNR <= 2 && /SPDX-License-Identifier:/ { t = 1 }
         END { if (f != "" && !t) print f }' $(sources) </dev/null
}

missing=0
for f in $(untagged); do
    if [ "$check" = yes ]; then
        echo "no licence tag: $f"
        missing=$((missing + 1))
        continue
    fi
    case "$f" in
        *.cpp | *.h | *.h.in) line="// $TAG" ;;
        *) line="# $TAG" ;;
    esac
    tmp=$(mktemp "$f.spdx.XXXXXX")
    if head -n 1 -- "$f" | grep -q '^#!'; then
        { head -n 1 -- "$f"; echo "$line"; tail -n +2 -- "$f"; } > "$tmp"
    else
        { echo "$line"; cat -- "$f"; } > "$tmp"
    fi
    chmod --reference="$f" "$tmp"
    mv -f -- "$tmp" "$f"
done
if [ "$missing" -gt 0 ]; then
    echo "$missing source files lack the line; run sh tools/spdx.sh" >&2
    exit 1
fi
