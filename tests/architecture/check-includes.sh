#!/usr/bin/env bash
# What each layer may include, read from the includes themselves: no include
# runs up a layer or across to one beside it, and the front ends reach the
# logs and the manifest of a run only through the run session.
# Usage: check-includes.sh SOURCE_FOLDER
set -euo pipefail
cd "$1"

# Each layer and the layers below it that it may use.
declare -A uses=(
    [model]=""
    [render]="model"
    [print]="render model"
    [editor]="render model"
    [app]="editor print render model"
    [cli]="print render model"
)

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The quoted includes of a file.
includes() {
    sed -n 's/^#include "\([^"]*\)".*/\1/p' "$1"
}

for layer in "${!uses[@]}"; do
    # Each header a layer may not use, as its users include it, and its layer.
    forbidden=$(mktemp)
    for other in "${!uses[@]}"; do
        if [ "$other" != "$layer" ] && [[ " ${uses[$layer]} " != *" $other "* ]]; then
            (cd "$other" && find . -name '*.h' | sed "s|^\./\(.*\)|\1\t$other|") >>"$forbidden"
        fi
    done
    while IFS= read -r file; do
        while IFS= read -r header; do
            [ -e "$layer/$header" ] && continue
            owner=$(awk -F'\t' -v header="$header" '$1 == header { print $2; exit }' "$forbidden")
            [ -n "$owner" ] && fail "$file includes $header, of $owner"
        done < <(includes "$file")
    done < <(find "$layer" -name '*.h' -o -name '*.cpp')
    rm -f "$forbidden"
done

# The run's steps are the session's: the print commands of both front ends
# show and answer, nothing else.
for file in cli/printtool.cpp cli/printtool.h app/commands/printcommands.cpp \
    app/commands/printcommands.h; do
    while IFS= read -r header; do
        case "$header" in
        log/*) fail "$file includes $header: a run's logs and manifest are the run session's" ;;
        esac
    done < <(includes "$file")
done

if [ "$failures" -gt 0 ]; then
    echo "$failures failed checks"
    exit 1
fi
echo "every include runs down a layer"
