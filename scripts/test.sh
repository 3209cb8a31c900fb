#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs every test headless, then a short fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPAGINETTE_SANITIZE=ON
cmake --build build-asan
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-asan --output-on-failure --timeout 300
if [ -x scripts/fuzz.sh ]; then
    scripts/fuzz.sh 20000
fi
