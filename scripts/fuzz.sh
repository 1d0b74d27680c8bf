#!/usr/bin/env bash
# Fuzzes every parser: builds the targets of tests/fuzz with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz, then runs
# each on a copy of its seeds for SECONDS (default 60), or for RUNS inputs
# with --runs RUNS. Prints each target's executions and coverage; a crash,
# leak or sanitizer report fails the script and leaves its reproducer as
# build-fuzz/crash-TARGET-*. --seeds rewrites tests/fuzz/seeds with files
# the program itself writes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds=60
runs=""
seeds_only=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --seeds) seeds_only=1; shift ;;
    *) seconds="$1"; shift ;;
  esac
done
"$root/scripts/setup.sh" fuzz
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DK71T_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_all make_seeds >/dev/null
if [ "$seeds_only" = 1 ]; then
  rm -rf "$root/tests/fuzz/seeds"
  ASAN_OPTIONS=detect_leaks=0 "$build/tests/fuzz/make_seeds" "$root/tests/fuzz/seeds"
  ls -R "$root/tests/fuzz/seeds"
  exit 0
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
failed=0
printf '%-18s %12s %10s %10s %8s  %s\n' target executions "exec/s" coverage features result
for source in "$root"/tests/fuzz/fuzz_*.cpp; do
  target="$(basename "$source" .cpp)"
  corpus="$work/$target"
  mkdir -p "$corpus"
  cp "$root/tests/fuzz/seeds/$target/"* "$corpus/" 2>/dev/null || true
  limit=(-max_total_time="$seconds")
  [ -n "$runs" ] && limit=(-runs="$runs")
  log="$work/$target.log"
  result=ok
  if ! (cd "$work" && "$build/tests/fuzz/$target" "${limit[@]}" -print_final_stats=1 -rss_limit_mb=4096 \
        -artifact_prefix="$build/crash-$target-" "$corpus" >"$log" 2>&1); then
    result=FAILED
    failed=1
  fi
  execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
  cov="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
  ft="$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
  printf '%-18s %12s %10s %10s %8s  %s\n' "$target" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "$result"
  if [ "$result" != ok ]; then
    grep -E 'ERROR|runtime error|SUMMARY|Test unit written|artifact' "$log" | head -20 || true
  fi
done
exit "$failed"
