#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs, from Debian's packages only, whatever the build and the tests need
# and the machine does not have yet. Runs as root, or through sudo otherwise.
# With --window: only what building and running the window needs.
# When nothing is missing it asks nothing of the package manager, so that a
# busy one (another apt or dpkg holding its lock) does not matter.
set -euo pipefail
# qt6-base-dev brings the GL and Vulkan headers that Qt's CMake files look for;
# libclang-rt-14-dev holds the fuzzer and sanitizer runtimes that clang links;
# imagemagick and graphicsmagick write the Cineon files of the interop test;
# librsvg2-bin renders the icons; desktop-file-utils, appstream and
# shared-mime-info validate the desktop files; dpkg-dev makes the .deb and
# lintian checks it;
# libdeflate-dev compresses the pixels of the PNGs that the engine frames itself;
# python3-pil reads back every file the engine saves in the save interop test;
# libopenjp2-7-dev reads and writes JPEG 2000.
packages=(cmake ninja-build g++ clang libclang-rt-14-dev clang-format pkg-config
          qt6-base-dev libgl-dev libjpeg62-turbo-dev libpng-dev libdeflate-dev libtiff-dev
          libgtest-dev libgmock-dev libbenchmark-dev imagemagick graphicsmagick
          librsvg2-bin desktop-file-utils appstream shared-mime-info dpkg-dev lintian python3-pil
          libopenjp2-7-dev)
# What building the programs (tests off) and running the window need.
window_packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libjpeg62-turbo-dev
                 libpng-dev libdeflate-dev libtiff-dev libopenjp2-7-dev zlib1g-dev librsvg2-bin)
if [ "${1:-}" = --window ]; then
    packages=("${window_packages[@]}")
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
((${#missing[@]})) || exit 0

echo "installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
    as_root=(sudo)
fi
# env passes the variable through sudo, which otherwise drops it.
# A busy package manager is waited for rather than failed on.
wait_lock=(-o DPkg::Lock::Timeout=600)
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${wait_lock[@]}" update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get "${wait_lock[@]}" install -y -qq --no-install-recommends "${missing[@]}"
