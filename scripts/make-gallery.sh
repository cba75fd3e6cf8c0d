#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the README's gallery: the generated landscape of the benchmarks, and
# its drawings with the defaults, a low threshold, more tone and shading, as
# small PNGs in docs/. Builds what it needs in build/bench (or $1).
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSTRAKEL_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target make_scene strakel-sketch >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_scene" "$work/landscape.bmp" 360 240
"$build/bench/make_scene" docs/gallery-photo.png 360 240
sketch="$build/cli/strakel-sketch"
"$sketch" -q -o docs/gallery-default.png "$work/landscape.bmp"
"$sketch" -q --threshold 5 -o docs/gallery-threshold-5.png "$work/landscape.bmp"
"$sketch" -q --tone 50 -o docs/gallery-tone-50.png "$work/landscape.bmp"
"$sketch" -q --shading -o docs/gallery-shading.png "$work/landscape.bmp"
"$sketch" -q --color --shading -o docs/gallery-color-shading.png "$work/landscape.bmp"
