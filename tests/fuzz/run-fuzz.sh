#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time, each on a scratch copy of its seed
# corpus (so the committed corpus stays as it is). Fails when a target crashes or finds a fault.
#
#   tests/fuzz/run-fuzz.sh BUILD_DIR SECONDS
set -euo pipefail

if (($# != 2)) || ! [[ $2 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)

shopt -s nullglob
targets=()
for t in "$build"/tests/fuzz/fuzz_*; do
  [[ -f $t && -x $t ]] && targets+=("$t")
done
if ((${#targets[@]} == 0)); then
  echo "run-fuzz: no fuzz_* targets in $build/tests/fuzz (configure with -DORLEX_FUZZ=ON and clang)" >&2
  exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
for t in "${targets[@]}"; do
  name=$(basename "$t")
  corpus=$scratch/$name/corpus
  artifacts=$here/artifacts/$name
  mkdir -p "$corpus"
  if [[ -d $here/corpus/${name#fuzz_} ]]; then
    cp -R "$here/corpus/${name#fuzz_}/." "$corpus/"
  else
    echo "run-fuzz: $name has no seed corpus in tests/fuzz/corpus/${name#fuzz_}/" >&2
  fi
  echo "run-fuzz: $name for ${seconds}s"
  # Crash inputs go to tests/fuzz/artifacts/<target>/ to be looked at (and turned into tests).
  mkdir -p "$artifacts"
  if "$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$artifacts/" "$corpus" >"$scratch/$name.log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^Done' "$scratch/$name.log" || true
    rmdir "$artifacts" 2>/dev/null || true
  else
    tail -n 40 "$scratch/$name.log" >&2
    echo "run-fuzz: $name FAILED; the input is in $artifacts/" >&2
    failed+=("$name")
  fi
done
rmdir "$here/artifacts" 2>/dev/null || true

if ((${#failed[@]})); then
  echo "run-fuzz: failures in ${failed[*]}" >&2
  exit 1
fi
echo "run-fuzz: all ${#targets[@]} targets ran clean"
