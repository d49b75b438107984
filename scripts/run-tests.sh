#!/usr/bin/env bash
# Builds everything twice (plain, then with AddressSanitizer + UndefinedBehaviorSanitizer), runs every
# test in both builds, then runs each fuzz target for a short time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
# Three full builds make most of the time; a compiler cache (in ~/.cache/ccache) lets the next run
# rebuild only what changed, from this clone or any other (paths count from the clone's root).
if command -v ccache >/dev/null; then
  # Debug information of a hit may name the clone that first compiled the file.
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
fi
export CTEST_OUTPUT_ON_FAILURE=1

# The configurations are the presets of CMakePresets.json.
cmake --preset plain >/dev/null
cmake --build --preset plain -j"$jobs"
ctest --preset plain -j"$jobs"

# Qt and fontconfig keep some allocations for the life of the process; those are not ours.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The installed-copy tests build outside programs against the library, which an instrumented library
# would not link into; they run in the plain build.
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs"
ctest --preset fuzz -j"$jobs"
bash tests/fuzz/run-fuzz.sh build-fuzz "${ORLEX_FUZZ_SECONDS:-20}"
