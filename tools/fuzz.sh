#!/bin/sh
# Builds the libFuzzer targets (clang, the "fuzz" preset) and runs each
# fuzz/*_fuzz.cpp target for a while. Usage: tools/fuzz.sh [seconds-per-target] [target...]
# Seeds come from fuzz/corpus/<target>/ when it exists; new inputs the fuzzer
# finds go to a scratch folder, so the committed seeds stay as they are.
# Crashing inputs are kept in build-fuzz/artifacts/<target>/.
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

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM
status=0
for t in $targets; do
    echo "== $t: ${seconds}s"
    mkdir -p "$scratch/$t" "build-fuzz/artifacts/$t"
    set -- "$scratch/$t"
    [ -d "fuzz/corpus/$t" ] && set -- "$@" "fuzz/corpus/$t"
    if ! "build-fuzz/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="build-fuzz/artifacts/$t/" "$@"; then
        echo "fuzz.sh: $t failed; see build-fuzz/artifacts/$t/" >&2
        status=1
    fi
done
exit $status
