# Shared by the benchmark scripts: a private directory ($dir) and a private Xvfb on :DISPLAY_NUMBER,
# with DISPLAY exported; every process whose id is added to $pids is stopped when the script ends.
# Usage: source bench/lib.sh; bench_start NAME DISPLAY_NUMBER
bench_cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$dir"
}

bench_start() {
  local i
  dir=$(mktemp -d "/tmp/orlex-$1-XXXXXX")
  pids=()
  trap bench_cleanup EXIT
  Xvfb ":$2" -noreset -screen 0 1280x1024x24 >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=":$2" LC_ALL=C.UTF-8
  for ((i = 0; i < 50; i++)); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}
