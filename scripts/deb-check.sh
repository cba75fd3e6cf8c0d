#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a built tree, unpacks it into a scratch folder
# of its own (it never installs into the system), and checks it: the files it
# installs, dependencies taken from the linked shared libraries, that both
# programs run from the unpacked tree, and, where lintian is installed, that
# lintian --pedantic finds no error and no warning in it.
# Usage: scripts/deb-check.sh BUILD_DIR VERSION
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR VERSION" >&2; exit 2; }
build=$(cd "$1" && pwd)
version=$2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
id=org.strakel.Strakel

scratch=$(mktemp -d "${TMPDIR:-/tmp}/strakel-deb-check.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() { echo "deb-check: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out") >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
echo "deb-check: $(basename "$deb"), $(stat -c %s "$deb") bytes"

[ "$(dpkg-deb -f "$deb" Package)" = strakel ] || fail "package name is not strakel"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
echo "deb-check: Depends: $depends"
# The package names alone, one a line, without their versions.
names=$(sed -E 's/ \([^)]*\)//g; s/, /\n/g' <<<"$depends")
for lib in libc6 libstdc++6 libqt6widgets6 libjpeg62-turbo libpng16-16 libtiff6; do
    grep -qxF "$lib" <<<"$names" || fail "Depends lacks $lib"
done

root=$scratch/root
dpkg-deb -x "$deb" "$root"
expected=(
    usr/bin/Strakel
    usr/bin/strakel-sketch
    usr/share/applications/$id.desktop
    usr/share/metainfo/$id.metainfo.xml
    usr/share/mime/packages/$id.xml
    usr/share/icons/hicolor/scalable/apps/$id.svg
    usr/share/man/man1/Strakel.1.gz
    usr/share/man/man1/strakel-sketch.1.gz
    usr/share/doc/strakel/copyright
    usr/share/doc/strakel/changelog.gz
    usr/share/lintian/overrides/strakel
    usr/share/bash-completion/completions/strakel-sketch
    usr/share/strakel/Xplorer_mod.skn
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for f in "${expected[@]}"; do
    [ -f "$root/$f" ] || fail "missing $f"
done
for f in usr/bin/Strakel usr/bin/strakel-sketch; do
    [ -x "$root/$f" ] || fail "$f is not executable"
done
# The skin is the one the build packed, which the program finds from usr/bin.
cmp -s "$root/usr/share/strakel/Xplorer_mod.skn" "$build/skin/art/Xplorer_mod.skn" ||
    fail "usr/share/strakel/Xplorer_mod.skn is not the built skin"
# The licence, changelog and overrides are the repository's, unchanged.
cmp -s "$root/usr/share/doc/strakel/copyright" "$source_dir/packaging/debian/copyright" ||
    fail "usr/share/doc/strakel/copyright is not packaging/debian/copyright"
gzip -dc "$root/usr/share/doc/strakel/changelog.gz" | cmp -s - "$source_dir/packaging/debian/changelog" ||
    fail "usr/share/doc/strakel/changelog.gz does not hold packaging/debian/changelog"
cmp -s "$root/usr/share/lintian/overrides/strakel" "$source_dir/packaging/debian/strakel.lintian-overrides" ||
    fail "usr/share/lintian/overrides/strakel is not packaging/debian/strakel.lintian-overrides"
for page in Strakel strakel-sketch; do
    gzip -dc "$root/usr/share/man/man1/$page.1.gz" | grep -q "^\.TH [^ ]* 1 " ||
        fail "usr/share/man/man1/$page.1.gz is not a gzipped manual page"
done
for size in 16 48 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    # The PNG header's width and height, big-endian at bytes 16 and 20.
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $dims"
done

# The first line of the GNU --version text; Strakel answers it without a display.
out=$("$root/usr/bin/strakel-sketch" --version)
out=${out%%$'\n'*}
[ "$out" = "strakel-sketch (Strakel) $version" ] || fail "strakel-sketch --version printed: $out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/Strakel" --version 2>&1)
out=${out%%$'\n'*}
[ "$out" = "Strakel $version" ] || fail "Strakel --version printed: $out"
echo "deb-check: ${#expected[@]} files in place; both programs run from the package"

if command -v lintian >/dev/null; then
    # Info and pedantic findings are printed and let pass; errors and
    # warnings fail. The package's own overrides file is honoured.
    lintian --pedantic --display-info --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 ||
        { cat "$scratch/lintian.log" >&2; fail "lintian found errors or warnings"; }
    [ ! -s "$scratch/lintian.log" ] || sed 's/^/deb-check: lintian: /' "$scratch/lintian.log"
    echo "deb-check: lintian --pedantic: no error, no warning"
else
    echo "deb-check: lintian is not installed; its check is skipped"
fi

# Hardening and reproducibility, for the optimised builds that ship: the
# sanitizer and Debug builds go without the hardening flags, and are not
# built twice.
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
type=$(cache CMAKE_BUILD_TYPE)
if [[ ! $type =~ ^(Release|RelWithDebInfo|MinSizeRel)$ ]] || [ -n "$(cache STRAKEL_SANITIZE)" ] ||
    [ "$(cache STRAKEL_HARDENING)" = OFF ]; then
    echo "deb-check: hardening and reproducibility not checked in this ${type:-untyped} build"
    exit 0
fi
for f in usr/bin/Strakel usr/bin/strakel-sketch; do
    readelf -lW "$root/$f" | grep -q GNU_RELRO || fail "$f has no RELRO segment"
    readelf -dW "$root/$f" | grep -qE '\(FLAGS\).*BIND_NOW|\(BIND_NOW\)' || fail "$f is not linked with -z now"
    syms=$(readelf --dyn-syms -W "$root/$f")
    grep -q ' __stack_chk_fail' <<<"$syms" || fail "$f has no stack protector"
    grep -qE ' __[a-z_]+_chk(@| )' <<<"$(grep -v __stack_chk_fail <<<"$syms")" ||
        fail "$f calls no fortified function"
done
echo "deb-check: both programs have full RELRO, a stack protector and fortified functions"
"$(dirname "$0")/repro-check.sh" "$build" "$deb"
