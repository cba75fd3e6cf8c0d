#!/usr/bin/env bash
# Decodes Cineon files written by independent programs (ImageMagick's convert,
# GraphicsMagick's gm) and compares every sample with the code values that the
# writing program reads back from the same file. Skips (exit 77) when neither
# program is installed.
# Usage: cineon_interop.sh PATH/TO/cineon_interop_check
set -uo pipefail
check=$1
have_im=0; have_gm=0
# /usr/local/bin may hold a stand-in convert; the real one is Debian's.
[ -x /usr/bin/convert ] && /usr/bin/convert -version 2>/dev/null | grep -q ImageMagick && have_im=1
command -v gm >/dev/null && gm version 2>/dev/null | grep -q GraphicsMagick && have_gm=1
if [ $have_im = 0 ] && [ $have_gm = 0 ]; then
    echo "SKIPPED: neither ImageMagick (/usr/bin/convert) nor GraphicsMagick (gm) is installed"
    exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$check" --source "$tmp/source.ppm" || exit 2

passed=0; failed=0
run() {  # name, then the command that writes $tmp/NAME.cin, read back by the same program
    local name=$1 reader=$2
    if ! "$reader" "$tmp/$name.cin" "$tmp/$name.pnm"; then
        echo "$name: the other program could not read its own file"; failed=$((failed + 1)); return
    fi
    if "$check" "$tmp/$name.cin" "$tmp/$name.pnm"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
}
# Raw codes as read: relabel as plain RGB so that no log-to-linear step runs.
im_read() { /usr/bin/convert "$1" -set colorspace sRGB -depth 16 "ppm:$2"; }
gm_read() { gm convert -define cineon:colorspace=rgb "$1" -depth 16 "ppm:$2"; }

if [ $have_im = 1 ]; then
    for depth in 8 10 12 16; do
        /usr/bin/convert "$tmp/source.ppm" -depth $depth "$tmp/im-$depth.cin" || { failed=$((failed + 1)); continue; }
        run im-$depth im_read
    done
else
    echo "SKIPPED: ImageMagick cases, /usr/bin/convert is not installed"
fi
if [ $have_gm = 1 ]; then
    # gm writes 10-bit words and stores -orient as the header's orientation code.
    for orient in TopLeft TopRight BottomLeft BottomRight LeftTop RightTop LeftBottom RightBottom; do
        gm convert "$tmp/source.ppm" -orient $orient "$tmp/gm-$orient.cin" || { failed=$((failed + 1)); continue; }
        run gm-$orient gm_read
    done
else
    echo "SKIPPED: GraphicsMagick cases, gm is not installed"
fi
echo "$passed passed, $failed failed"
[ $failed = 0 ]
