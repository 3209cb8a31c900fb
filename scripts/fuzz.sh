#!/usr/bin/env bash
# Builds the document loader's fuzz target with clang in build-fuzz and runs it
# on a copy of the seed corpus. Usage: scripts/fuzz.sh [RUNS] (default 20000).
# Exits non-zero when an input crashes the loader or breaks the table.
set -euo pipefail
cd "$(dirname "$0")/.."

runs="${1:-20000}"
build=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPAGINETTE_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target fuzz_loaddocument -- -j2

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
