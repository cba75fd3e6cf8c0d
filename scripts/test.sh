#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds everything (the benchmarks too, so that they
# keep building) and runs every test with CTest.
# Usage: scripts/test.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=${1:-build/test}
shift || true
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTRAKEL_BUILD_TESTS=ON -DSTRAKEL_BUILD_BENCH=ON "$@"
cmake --build "$dir" -j "$(nproc)"
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
