#!/usr/bin/env bash
# Installs, from Debian's packages only, whatever the build and the tests need
# and the machine does not have yet.
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev clang-format pkg-config
          qt6-base-dev libgl-dev libjpeg62-turbo-dev libpng-dev libtiff-dev
          libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
