#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs a short fuzz of the document loader, the
# extension block, the renderer and the data file readers, then every test
# headless through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/install-test-deps.sh
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPAGINETTE_SANITIZE=ON
cmake --build build-asan

# A short fuzz of each target, 30 seconds each.
fuzzlog=build-asan/fuzz.log
if scripts/fuzz.sh --time 30 >"$fuzzlog" 2>&1; then
    echo "Fuzzing the document loader, the extension block, the renderer and the data readers:" \
        "$(grep -Eo 'Done [0-9]+ runs' "$fuzzlog" | paste -sd ',' - || echo 'done'), no crash"
else
    tail -n 60 "$fuzzlog"
    echo "Fuzzing failed; see $fuzzlog"
    exit 1
fi

export QT_QPA_PLATFORM=offscreen
# Two at a time, as the machines that run it have two cores.
ctest --test-dir build-asan --output-on-failure --timeout 300 -j2
