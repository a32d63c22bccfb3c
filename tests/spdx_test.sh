#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# tools/spdx.sh on a copy of a planted tree: --check finds every untagged
# source, tagging puts the line first (after a shebang), keeps the rest and
# the file modes, and a second run changes nothing.
#   sh tests/spdx_test.sh <source root>
set -eu
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -a "$src/tests/data/spdx" "$work/tree"
cd "$work/tree"
fail() { echo "FAIL: $*" >&2; exit 1; }

if sh "$src/tools/spdx.sh" --check . > "$work/before" 2>&1; then
    fail "--check passed on an untagged tree"
fi
for f in CMakeLists.txt app/main.cpp base/plain.h base/version.h.in tools/rules.cmake tools/run.sh; do
    grep -qx "no licence tag: $f" "$work/before" || fail "--check missed $f"
done
grep -q 'plain.cpp\|tagged.py\|notes.txt' "$work/before" && fail "--check named a tagged or non-source file"

cp -a . "$work/orig"
sh "$src/tools/spdx.sh" .
sh "$src/tools/spdx.sh" --check . || fail "--check fails after tagging"

[ "$(sed -n 1p base/plain.h)" = "// SPDX-License-Identifier: GPL-3.0-or-later" ] || fail "plain.h"
[ "$(tail -n +2 base/plain.h)" = "$(cat "$work/orig/base/plain.h")" ] || fail "plain.h body changed"
[ "$(sed -n 1p tools/run.sh)" = "#!/bin/sh" ] || fail "the shebang left the first line"
[ "$(sed -n 2p tools/run.sh)" = "# SPDX-License-Identifier: GPL-3.0-or-later" ] || fail "run.sh"
[ -x tools/run.sh ] || fail "run.sh lost its mode"
[ "$(sed -n 1p tools/rules.cmake)" = "# SPDX-License-Identifier: GPL-3.0-or-later" ] || fail "rules.cmake"
[ "$(sed -n 1p CMakeLists.txt)" = "# SPDX-License-Identifier: GPL-3.0-or-later" ] || fail "CMakeLists.txt"
[ "$(sed -n 1p base/version.h.in)" = "// SPDX-License-Identifier: GPL-3.0-or-later" ] || fail "version.h.in"
cmp -s base/plain.cpp "$work/orig/base/plain.cpp" || fail "a tagged file was touched"
cmp -s tools/tagged.py "$work/orig/tools/tagged.py" || fail "a tagged script was touched"
cmp -s app/notes.txt "$work/orig/app/notes.txt" || fail "a text file was tagged"
ls -A base tools app | grep -q spdx && fail "a temporary file was left"

cp -a . "$work/once"
sh "$src/tools/spdx.sh" .
diff -r "$work/once" . > /dev/null || fail "a second run changed something"
echo "spdx.sh tags a copy and is idempotent"
