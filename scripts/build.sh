#!/usr/bin/env bash
# Configures and builds into build/: everything, or the targets named.
#   scripts/build.sh                 the programs, tests and benchmarks
#   scripts/build.sh --quiet T...    only targets T, output shown only on failure
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
quiet=0
if [ "${1:-}" = "--quiet" ]; then
  quiet=1
  shift
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
build() {
  cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE="${K71T_BUILD_TYPE:-RelWithDebInfo}" >/dev/null &&
    cmake --build "$root/build" -j"$(nproc)" "${targets[@]}"
}
if [ "$quiet" = 1 ]; then
  if ! build >"$log" 2>&1; then
    cat "$log" >&2
    echo "build: failed (output above)" >&2
    exit 1
  fi
else
  build
fi
