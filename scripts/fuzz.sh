#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz and runs each one named on
# a copy of its seed corpus, for a number of inputs or for a time:
#   loaddocument    the document loader: its invariants, and save and read again
#   extensionblock  the extension block reader: write and read again
#   renderdocument  a document opened as the program does, laid out, drawn on
#                   screen and as printed, and two pages printed to a PDF
#   csv             the data file reader on delimited text of every dialect
#   workbook        the data file reader on XLSX and ODS workbooks
# Usage: scripts/fuzz.sh [--runs N | --time SECONDS] [TARGET...]
# (default: 20000 inputs each, all five). Exits non-zero at the first find,
# which is kept in build-fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=(-runs=20000)
case "${1:-}" in
--runs)
    limit=(-runs="$2")
    shift 2
    ;;
--time)
    limit=(-max_total_time="$2")
    shift 2
    ;;
esac
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(loaddocument extensionblock renderdocument csv workbook)

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPAGINETTE_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target "${targets[@]/#/fuzz_}" -- -j2

# Every input is written to a file; memory-backed files keep that quick.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
# Font libraries keep caches that they never free. Qt's own are known by the
# functions that make them, which only a slow unwinding of each allocation
# finds, Qt being built without frame pointers: a few frames are enough.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="fast_unwind_on_malloc=0:malloc_context_size=6"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
    case "$target" in
    extensionblock) seeds=tests/fuzz/corpus-extensionblock ;;
    loaddocument | renderdocument) seeds=tests/fuzz/corpus ;;
    csv | workbook) seeds=tests/fuzz/corpus-$target ;;
    *)
        echo "fuzz.sh: no target $target" >&2
        exit 2
        ;;
    esac
    # The fuzzer adds what it finds to its corpus; the committed seeds stay as they are.
    corpus="$work/$target"
    mkdir "$corpus"
    cp "$seeds"/* "$corpus"/
    echo "fuzz_$target:"
    "$build/tests/fuzz/fuzz_$target" "${limit[@]}" -timeout=20 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$build/$target-" "$corpus"
done
