#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets (clang, the "fuzz" preset) and runs each
# fuzz/*_fuzz.cpp target for a while. Usage: tools/fuzz.sh [seconds-per-target] [target...]
# Seeds come from fuzz/corpus/<target>/ when it exists; new inputs the fuzzer
# finds go to a scratch folder, so the committed seeds stay as they are.
# Crashing inputs are kept in build-fuzz/artifacts/<target>/. Every input must
# finish within FUZZ_TIMEOUT seconds (default 5): a parser that is not linear
# fails on the large generated seeds (see big_seeds).
set -eu
cd "$(dirname "$0")/.."

seconds=${1:-30}
[ $# -gt 0 ] && shift
jobs=${JOBS:-2}

if [ $# -gt 0 ]; then
    targets="$*"
else
    targets=""
    for src in fuzz/*_fuzz.cpp; do
        [ -e "$src" ] || continue
        targets="$targets $(basename "$src" .cpp)"
    done
fi
if [ -z "$targets" ]; then
    echo "fuzz.sh: no fuzz/*_fuzz.cpp targets" >&2
    exit 1
fi

cmake --preset fuzz >/dev/null
# shellcheck disable=SC2086
cmake --build build-fuzz -j"$jobs" --target $targets

# Seeds too big to commit, written before the run: a lookup reply with the
# most candidates the walk numbers (about 3 MB), none of them an MP3, and a
# result page of 2 MB whose pieces reach far; a session file of 100 long
# entries just under its 4 MiB limit, one just over it and one nested
# three million levels deep; a cover of 5000 by 5000 and one past the 16 MiB
# limit.
big_seeds() {
    case "$1" in
    playlist_fuzz)
        # 100,000 lines of M3U and 50,000 titled PLS entries: only the first
        # 100 become entries (and have their files' tags looked at); the rest
        # are counted.
        python3 - "$2" <<'PY'
import sys
open(sys.argv[1] + "/many-lines", "wb").write(b"".join(b"dir/song%06d.mp3\n" % i for i in range(100000)))
open(sys.argv[1] + "/many-pls", "wb").write(
    b"[playlist]\n" + b"".join(b"File%d=s%d.flac\nTitle%d=A - B\n" % (i, i, i) for i in range(50000)))
PY
        ;;
    resolve_fuzz)
        python3 - "$2/many-candidates" <<'PY'
import sys
parts = ['<?xml version="1.0"?><result><count>32767</count>']
for i in range(32767):
    parts.append("<url><encode><![CDATA[http://h/d%d/x.wma]]></encode>"
                 "<decode><![CDATA[s%d.wma]]></decode></url>" % (i, i))
parts.append("</result>")
open(sys.argv[1], "w").write("".join(parts))
PY
        ;;
    search_fuzz)
        python3 - "$2/far-pieces" <<'PY'
import sys
page = "<html><!-- wap -->" + "<a><!-- t -->x</a>" * 20 + "<!-- -->" + "x" * (2 << 20)
open(sys.argv[1], "w").write(page + "下一页")
PY
        ;;
    lrc_fuzz)
        python3 - "$2" <<'PY'
import sys
d = sys.argv[1]
# 5,000 timed lines with translations in GBK, just under the bounds, then
# one line more; a single line of 1 MiB of '<' and one of time tags.
rows = []
for i in range(2500):
    t = "[%02d:%02d.%02d]" % (i // 600, i // 10 % 60, i % 10 * 10)
    rows += [t + "第%d行歌词 line %d" % (i, i) + "x" * 150, t + "translation %d" % i]
open(d + "/huge-5000.lrc", "wb").write("\n".join(rows).encode("gb18030"))
open(d + "/huge-5001.lrc", "wb").write(("\n".join(rows) + "\n[00:00.00]x").encode("gb18030"))
open(d + "/angles.lrc", "wb").write(b"[00:01.00]" + b"<" * (1 << 20))
open(d + "/tags.lrc", "wb").write(b"[00:01.00]" * 104000 + b"x")
PY
        ;;
    sessionfile_fuzz)
        python3 - "$2" <<'PY'
import json, sys
entry = {"name": "歌" * 4000, "singer": "手" * 4000, "address": "/m/" + "长" * 5000, "local": True}
doc = {"format": "liravo-session", "version": 1, "positionMs": 1, "playMode": "随机播放",
       "collection": {"album": "", "current": 100, "entries": [entry] * 100}}
text = json.dumps(doc, ensure_ascii=False).encode()
open(sys.argv[1] + "/hundred-near-limit", "wb").write(text)
over = text.replace(b'"album": ""', b'"album": "' + b"x" * (4 * 1024 * 1024) + b'"')
open(sys.argv[1] + "/over-limit", "wb").write(over)
open(sys.argv[1] + "/deep", "w").write("[" * 3000000)
PY
        ;;
    coverart_fuzz)
        python3 - "$2" <<'PY'
import struct, sys, zlib
def chunk(t, d):
    return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xffffffff)
def png(w, h, rows):
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 0, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")
side = 5000
open(sys.argv[1] + "/large", "wb").write(png(side, side, (b"\0" + b"\x80" * side) * side))
open(sys.argv[1] + "/over-16-mib", "wb").write(png(4, 4, b"\0" * 20) + b"\0" * (16 << 20))
PY
        ;;
    playablecheck_fuzz)
        # 4 MB named .mp3 full of frame syncs whose headers lead nowhere: the
        # check must not walk the whole file frame by frame.
        python3 - "$2/false-syncs" <<'PY'
import sys
open(sys.argv[1], "wb").write(b"\x00" + b"\xff\xfb\x90" * ((4 << 20) // 3))
PY
        ;;
    esac
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM
status=0
for t in $targets; do
    echo "== $t: ${seconds}s"
    mkdir -p "$scratch/$t" "$scratch/big-$t" "build-fuzz/artifacts/$t"
    # The big seeds run once each under the time limit; mutating inputs of
    # megabytes would slow the fuzzing itself to a crawl.
    big_seeds "$t" "$scratch/big-$t"
    for seed in "$scratch/big-$t"/*; do
        [ -e "$seed" ] || continue
        if ! "build-fuzz/fuzz/$t" -timeout="${FUZZ_TIMEOUT:-5}" \
            -artifact_prefix="build-fuzz/artifacts/$t/" "$seed"; then
            echo "fuzz.sh: $t failed on $(basename "$seed") ($(wc -c <"$seed") bytes)" >&2
            status=1
        fi
    done
    set -- "$scratch/$t"
    [ -d "fuzz/corpus/$t" ] && set -- "$@" "fuzz/corpus/$t"
    if ! "build-fuzz/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 \
        -timeout="${FUZZ_TIMEOUT:-5}" \
        -artifact_prefix="build-fuzz/artifacts/$t/" "$@"; then
        echo "fuzz.sh: $t failed; see build-fuzz/artifacts/$t/" >&2
        status=1
    fi
done
exit $status
