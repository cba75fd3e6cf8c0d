#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Decodes Cineon files written by independent programs (ImageMagick's convert,
# GraphicsMagick's gm) from a photo-like picture and compares them with
# ImageMagick's readings of the same file: every sample with the code values
# read back, and the displayed picture (`-colorspace sRGB`) within 2 levels on
# average. Skips (exit 77) when ImageMagick is not installed; GraphicsMagick's
# files are checked when gm is there too.
# Usage: cineon_interop.sh PATH/TO/cineon_interop_check
set -uo pipefail
check=$1
convert=/usr/bin/convert
# /usr/local/bin may hold a stand-in convert; the real one is Debian's.
if ! { [ -x $convert ] && $convert -version 2>/dev/null | grep -q ImageMagick; }; then
    echo "SKIPPED: ImageMagick ($convert) is not installed"
    exit 77
fi
have_gm=0
command -v gm >/dev/null && gm version 2>/dev/null | grep -q GraphicsMagick && have_gm=1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$check" --source "$tmp/source.ppm" || exit 2

passed=0; failed=0
run() {  # name of $tmp/NAME.cin, and the reader of its raw codes
    local name=$1 read_codes=$2
    if ! "$read_codes" "$tmp/$name.cin" "$tmp/$name-codes.pnm"; then
        echo "$name: the writing program could not read its own file"; failed=$((failed + 1)); return
    fi
    if ! $convert "$tmp/$name.cin" -colorspace sRGB -depth 8 "ppm:$tmp/$name-shown.ppm"; then
        echo "$name: ImageMagick could not show the file"; failed=$((failed + 1)); return
    fi
    if "$check" "$tmp/$name.cin" "$tmp/$name-codes.pnm" "$tmp/$name-shown.ppm"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
}
# Raw codes as read: relabel as plain RGB so that no log-to-linear step runs.
im_codes() { $convert "$1" -set colorspace sRGB -depth 16 "ppm:$2"; }
gm_codes() { gm convert -define cineon:colorspace=rgb "$1" -depth 16 "ppm:$2"; }

for depth in 8 10 12 16; do
    $convert "$tmp/source.ppm" -depth $depth "$tmp/im-$depth.cin" || { failed=$((failed + 1)); continue; }
    run im-$depth im_codes
done
if [ $have_gm = 1 ]; then
    # gm writes 10-bit words and stores -orient as the header's orientation code;
    # its codes follow its own convention, which ImageMagick reads like any other.
    for orient in TopLeft TopRight BottomLeft BottomRight LeftTop RightTop LeftBottom RightBottom; do
        gm convert "$tmp/source.ppm" -orient $orient "$tmp/gm-$orient.cin" || { failed=$((failed + 1)); continue; }
        run gm-$orient gm_codes
    done
else
    echo "SKIPPED: GraphicsMagick cases, gm is not installed"
fi
echo "$passed passed, $failed failed"
[ $failed = 0 ]
