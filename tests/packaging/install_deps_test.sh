#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs scripts/install-deps.sh against stand-ins for dpkg-query, apt-get and
# id in a folder of its own, so that no package is ever installed: with
# nothing missing it never asks apt (which answers as a busy one would), and
# with --window it asks for the window's packages only, waiting for the lock.
# Usage: install_deps_test.sh SOURCE_DIR
set -euo pipefail
script=$1/scripts/install-deps.sh
fake=$(mktemp -d "${TMPDIR:-/tmp}/strakel-install-deps.XXXXXX")
trap 'rm -rf "$fake"' EXIT
fail() { echo "install_deps_test: $*" >&2; exit 1; }

# dpkg-query: every package is installed unless NOTHING_INSTALLED is set.
cat >"$fake/dpkg-query" <<'STUB'
#!/bin/sh
[ -n "${NOTHING_INSTALLED:-}" ] && exit 1
printf 'install ok installed'
STUB
# apt-get: notes its arguments, then fails as when another apt holds the lock.
cat >"$fake/apt-get" <<STUB
#!/bin/sh
echo "\$*" >>"$fake/apt-calls"
[ -n "\${APT_BUSY:-}" ] && { echo "E: Could not get lock" >&2; exit 100; }
exit 0
STUB
printf '#!/bin/sh\necho 0\n' >"$fake/id"
chmod +x "$fake/dpkg-query" "$fake/apt-get" "$fake/id"

for args in "" "--window"; do
    PATH=$fake:$PATH APT_BUSY=1 "$script" $args >/dev/null ||
        fail "nothing missing, apt busy: '$args' failed"
done
[ ! -e "$fake/apt-calls" ] || fail "apt-get was asked with nothing missing: $(cat "$fake/apt-calls")"

PATH=$fake:$PATH NOTHING_INSTALLED=1 "$script" --window >/dev/null
expected="-o DPkg::Lock::Timeout=600 update -qq
-o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libjpeg62-turbo-dev libpng-dev libdeflate-dev libtiff-dev libopenjp2-7-dev zlib1g-dev librsvg2-bin"
[ "$(cat "$fake/apt-calls")" = "$expected" ] || fail "--window asked apt-get: $(cat "$fake/apt-calls")"
echo "install_deps_test: passed"
