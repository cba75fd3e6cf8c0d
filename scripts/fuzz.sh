#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for the given number of
# seconds (default 60), starting from its stored inputs.
# Usage: scripts/fuzz.sh [seconds] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
seconds=${1:-60}
shift || true
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSTRAKEL_BUILD_GUI=OFF -DSTRAKEL_BUILD_TESTS=OFF -DSTRAKEL_BUILD_FUZZERS=ON \
    -DSTRAKEL_SANITIZE=address,undefined "$@"
cmake --build build/fuzz -j "$(nproc)"
shopt -s nullglob
bins=(build/fuzz/fuzz/fuzz_*)
((${#bins[@]})) || { echo "fuzz: no fuzzer was built" >&2; exit 1; }
for bin in "${bins[@]}"; do
    name=${bin##*/fuzz_}
    work=$(mktemp -d)
    echo "fuzzing $name for ${seconds}s"
    corpus=()
    [ -d "fuzz/corpus/$name" ] && corpus=("fuzz/corpus/$name")
    # Crashing inputs land in build/fuzz, not in the source tree.
    "$bin" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
        -artifact_prefix="build/fuzz/$name-" "$work" "${corpus[@]}" \
        > "build/fuzz/$name.log" 2>&1 || { tail -50 "build/fuzz/$name.log"; exit 1; }
    rm -rf "$work"
done
