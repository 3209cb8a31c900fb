#!/usr/bin/env bash
# Builds the fuzz targets of the document loader and of the extension block
# reader with clang in build-fuzz and runs each on a copy of its seed corpus.
# Usage: scripts/fuzz.sh [RUNS] (default 20000). Exits non-zero when an input
# crashes the loader or breaks the table, or crashes the block reader or
# changes through writing and reading.
set -euo pipefail
cd "$(dirname "$0")/.."

runs="${1:-20000}"
build=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPAGINETTE_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target fuzz_loaddocument fuzz_extensionblock -- -j2

# The fuzzer adds what it finds to its corpus; keep the committed seeds as
# they are.
corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
cp tests/fuzz/corpus/* "$corpus"/

# Every input is written to a file and saved again; memory-backed files keep
# that quick.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

"$build"/tests/fuzz/fuzz_loaddocument -runs="$runs" -max_total_time=180 -print_final_stats=1 \
    -artifact_prefix="$build"/ "$corpus"

# The extension block reader, on its own seeds.
blocks="$(mktemp -d)"
trap 'rm -rf "$corpus" "$blocks"' EXIT
cp tests/fuzz/corpus-extensionblock/* "$blocks"/
"$build"/tests/fuzz/fuzz_extensionblock -runs="$runs" -max_total_time=60 -print_final_stats=1 \
    -artifact_prefix="$build"/ "$blocks"
