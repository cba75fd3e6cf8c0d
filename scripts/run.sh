#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Strakel (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --window
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DSTRAKEL_BUILD_TESTS=OFF
cmake --build build/release --target Strakel
exec build/release/app/Strakel "$@"
