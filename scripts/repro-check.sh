#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that the build is reproducible: copies the source tree into a folder of
# its own inside the build tree, builds the programs there a second time with
# the same settings (without the tests) and packs them, and compares both
# programs and the Debian package byte for byte with the given build's.
# Usage: scripts/repro-check.sh BUILD_DIR DEB
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR DEB" >&2; exit 2; }
build=$(cd "$1" && pwd)
deb=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
src=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "repro-check: $*" >&2; exit 1; }

scratch=$(mktemp -d "$build/repro-check.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# The setting NAME of the first build, from its cache.
setting() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }

# The files git knows (the working tree's, edits included), or the whole tree
# outside a checkout.
mkdir "$scratch/src"
if git -C "$src" rev-parse --git-dir >/dev/null 2>&1; then
    git -C "$src" ls-files -z --cached --others --exclude-standard |
        tar -C "$src" --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -C "$scratch/src" -xf -
else
    tar -C "$src" --exclude='./build*' -cf - . | tar -C "$scratch/src" -xf -
fi

args=(-G Ninja -DSTRAKEL_BUILD_TESTS=OFF -DSTRAKEL_BUILD_BENCH=OFF)
for name in CMAKE_BUILD_TYPE CMAKE_C_COMPILER CMAKE_CXX_COMPILER CMAKE_C_FLAGS CMAKE_CXX_FLAGS \
            CMAKE_EXE_LINKER_FLAGS CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER \
            STRAKEL_SITE_HOST STRAKEL_SANITIZE STRAKEL_HARDENING STRAKEL_PACKAGE_MAINTAINER; do
    if grep -q "^$name:" "$build/CMakeCache.txt"; then
        args+=("-D$name=$(setting "$name")")
    fi
done
epoch=$(setting STRAKEL_SOURCE_DATE_EPOCH)
[ -n "$epoch" ] || fail "the build names no SOURCE_DATE_EPOCH"
SOURCE_DATE_EPOCH=$epoch cmake -S "$scratch/src" -B "$scratch/build" "${args[@]}" \
    >"$scratch/build.log" 2>&1 || { cat "$scratch/build.log" >&2; fail "configure failed"; }
cmake --build "$scratch/build" -j "$(nproc)" >>"$scratch/build.log" 2>&1 ||
    { tail -50 "$scratch/build.log" >&2; fail "the second build failed"; }
(cd "$scratch/build" && cpack -G DEB -B "$scratch/out") >>"$scratch/build.log" 2>&1 ||
    { tail -50 "$scratch/build.log" >&2; fail "cpack failed"; }

for f in app/Strakel cli/strakel-sketch; do
    cmp -s "$build/$f" "$scratch/build/$f" || fail "$f differs between two builds"
done
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
cmp -s "$deb" "${debs[0]}" || fail "$(basename "$deb") differs between two builds"
echo "repro-check: both programs and $(basename "$deb") are the same from a second folder"
