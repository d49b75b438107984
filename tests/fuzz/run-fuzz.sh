#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time, each on a scratch copy of its seed
# corpus (so the committed corpus stays as it is). Fails when a target crashes or finds a fault.
# Targets run side by side, one per processor up to four (ORLEX_FUZZ_JOBS to choose): each is given a
# time, not an amount of work, so running them one after the other only makes the wait longer.
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

# One target: its corpus, its run, its exit status in $scratch/<target>.status.
run_target() {
  local t=$1 name corpus artifacts status=0
  name=$(basename "$t")
  corpus=$scratch/$name/corpus
  artifacts=$here/artifacts/$name
  mkdir -p "$corpus"
  if [[ -d $here/corpus/${name#fuzz_} ]]; then
    cp -R "$here/corpus/${name#fuzz_}/." "$corpus/"
  else
    echo "run-fuzz: $name has no seed corpus in tests/fuzz/corpus/${name#fuzz_}/" >&2
  fi
  # Crash inputs go to tests/fuzz/artifacts/<target>/ to be looked at (and turned into tests).
  mkdir -p "$artifacts"
  "$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" >"$scratch/$name.log" 2>&1 || status=$?
  echo "$status" >"$scratch/$name.status"
}

# At most four by default: each may take up to 2 GiB before libFuzzer stops it.
processors=$(nproc)
jobs=${ORLEX_FUZZ_JOBS:-$((processors < 4 ? processors : 4))}
echo "run-fuzz: ${#targets[@]} targets for ${seconds}s each, $jobs at a time"
running=0
for t in "${targets[@]}"; do
  if ((running >= jobs)); then
    wait -n || true
    running=$((running - 1))
  fi
  run_target "$t" &
  running=$((running + 1))
done
wait

failed=()
for t in "${targets[@]}"; do
  name=$(basename "$t")
  artifacts=$here/artifacts/$name
  echo "run-fuzz: $name"
  if [[ $(cat "$scratch/$name.status" 2>/dev/null) == 0 ]]; then
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
