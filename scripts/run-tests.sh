#!/usr/bin/env bash
# Builds everything twice (plain, then with AddressSanitizer + UndefinedBehaviorSanitizer), runs every
# test in both builds, then runs each fuzz target for a short time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest -j"$jobs" --timeout 300)

# Qt and fontconfig keep some allocations for the life of the process; those are not ours.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DORLEX_SANITIZE=ON -DORLEX_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ctest -j"$jobs" --timeout 600 -LE slow)

CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DORLEX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$jobs"
bash tests/fuzz/run-fuzz.sh build-fuzz "${ORLEX_FUZZ_SECONDS:-20}"
