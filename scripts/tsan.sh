#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the command-line tool and the engine's load tests with ThreadSanitizer
# (no Qt parts) and runs them: the tool's workers load, draw and save photos
# side by side, and these tests drive that from several threads.
# Usage: scripts/tsan.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=${1:-build/tsan}
shift || true
tests=(strakel_sketch_cli_test load_threads_test file_load_test bad_input_test
       status_callback_test format_options_test)
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTRAKEL_BUILD_TESTS=ON \
    -DSTRAKEL_BUILD_GUI=OFF -DSTRAKEL_SANITIZE=thread "$@"
cmake --build "$dir" -j "$(nproc)" --target "${tests[@]}"
filter="^($(IFS='|'; echo "${tests[*]}"))\$"
# This compiler's ThreadSanitizer maps its shadow memory at fixed places, which
# more than 28 bits of address randomisation can overlap; without randomisation
# it always fits.
run=()
if [ "$(cat /proc/sys/vm/mmap_rnd_bits 2>/dev/null || echo 0)" -gt 28 ]; then
    run=(setarch "$(uname -m)" -R)
fi
TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}" \
    "${run[@]}" ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" -R "$filter"
