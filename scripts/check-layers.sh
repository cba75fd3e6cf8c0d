#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source file includes a header of a layer above its own, or when
# a folder that must build without Qt includes Qt. Each folder may include the
# folders listed for it (and its own); the most specific folder of a file holds.
set -euo pipefail
cd "$(dirname "$0")/.."

# folder | may include | qt (yes: may use Qt)
rules='
app                    | app app/update sketch imaging/dialogs imaging/control imaging/control/status imaging/engine imaging/engine/ui imaging/engine/codecs platform platform/qt skin skin/qt net | yes
app/update             | app/update net platform/qt                                               | yes
cli                    | cli sketch imaging/control/status imaging/engine imaging/engine/codecs platform | no
sketch                 | sketch imaging/engine imaging/engine/codecs platform                     | no
imaging/dialogs        | imaging/dialogs imaging/control imaging/control/status imaging/engine imaging/engine/ui platform platform/qt | yes
imaging/control        | imaging/control imaging/control/layout imaging/control/status imaging/engine imaging/engine/ui platform platform/qt | yes
imaging/control/layout | imaging/control/layout                                                   | no
imaging/control/status | imaging/control/status                                                   | no
imaging/engine/ui      | imaging/engine/ui imaging/engine imaging/engine/codecs platform          | yes
imaging/engine/codecs  | imaging/engine/codecs imaging/engine platform                            | no
imaging/engine         | imaging/engine imaging/engine/codecs platform                            | no
platform/qt            | platform/qt platform                                                     | yes
platform               | platform                                                                 | no
skin/qt                | skin/qt skin imaging/engine imaging/engine/codecs platform platform/qt   | yes
skin                   | skin imaging/engine/codecs                                               | no
net                    | net                                                                      | no
'
top_folders='app cli sketch imaging platform skin net tests fuzz bench'

declare -A may_include uses_qt
while IFS='|' read -r folder allowed qt; do
    folder=$(xargs <<<"$folder")
    [ -n "$folder" ] || continue
    may_include[$folder]=" $(xargs <<<"$allowed") "
    uses_qt[$folder]=$(xargs <<<"$qt")
done <<<"$rules"

# The most specific folder with a rule that holds `dir`, or nothing.
rule_folder() {
    local dir=$1
    while [ -n "$dir" ] && [ "$dir" != . ]; do
        if [ -n "${may_include[$dir]+set}" ]; then
            printf '%s' "$dir"
            return
        fi
        [[ $dir == */* ]] && dir=${dir%/*} || dir=
    done
}

failures=0
while IFS= read -r file; do
    dir=$(dirname "$file")
    folder=$(rule_folder "$dir")
    [ -n "$folder" ] || continue
    allowed=${may_include[$folder]}
    qt=${uses_qt[$folder]}
    while IFS= read -r inc; do
        [ -n "$inc" ] || continue
        name=$inc
        if [[ $name == Q* || $name == qt* || $name == Qt* ]]; then
            if [ "$qt" != yes ]; then
                echo "layers: $file includes <$name>, but $dir builds without Qt" >&2
                failures=$((failures + 1))
            fi
            continue
        fi
        top=${name%%/*}
        [[ " $top_folders " == *" $top "* ]] || continue
        target=$(dirname "$name")
        if [[ $allowed != *" $target "* ]]; then
            echo "layers: $file includes \"$name\", a layer $dir may not use" >&2
            failures=$((failures + 1))
        fi
    done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"].*/\1/p' "$file")
done < <(git ls-files -- '*.cpp' '*.h' '*.h.in' | grep -vE '^(tests|fuzz|bench)/')

if [ "$failures" -ne 0 ]; then
    echo "layers: $failures include(s) point up a layer or bring Qt into a Qt-free folder" >&2
    exit 1
fi
echo "layers: every include points down"
