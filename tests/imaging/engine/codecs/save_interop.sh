#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes every format and depth the engine saves (save_interop_write) and
# reads the files back with Pillow, an independent reader (python3-pil).
# Skips (exit 77) when Pillow is not installed.
# Usage: save_interop.sh PATH/TO/save_interop_write
set -uo pipefail
writer=$1
here=$(dirname "$0")
# Debian's Python holds python3-pil; a python3 earlier on PATH may not.
py=/usr/bin/python3
[ -x "$py" ] || py=python3
if ! "$py" -c "import PIL" 2>/dev/null; then
    echo "SKIPPED: Pillow (python3-pil) is not installed"
    exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$writer" "$tmp" || exit 2
"$py" "$here/save_interop_check.py" "$tmp"
