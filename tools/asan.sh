#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The test suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
sh tools/deps.sh
cmake --preset asan >/dev/null
cmake --build build-asan -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
# Qt and GStreamer keep a few process-lifetime allocations; leaks are not the point here.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
