#!/usr/bin/env bash
# Installs what is missing, builds, starts a throwaway MariaDB server for the
# database tests, runs every test and stops the server again.
#   scripts/test.sh [CTEST_ARGS...]             the suite, built in build/
#   scripts/test.sh --sanitize [CTEST_ARGS...]  the suite built in build-sanitize/
#                                               with AddressSanitizer and
#                                               UndefinedBehaviorSanitizer; any
#                                               report fails its test
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
sanitize=0
if [ "${1:-}" = "--sanitize" ]; then
  sanitize=1
  shift
fi
"$root/scripts/setup.sh"
if [ "$sanitize" = 1 ]; then
  build="$root/build-sanitize"
  cmake -S "$root" -B "$build" -DK71T_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j"$(nproc)" >/dev/null
  # Leaks of Qt's and the fonts' one-time allocations at exit are not the
  # program's; every other report stops the test with a failure.
  export ASAN_OPTIONS="halt_on_error=1:detect_leaks=0:strict_string_checks=1:check_initialization_order=1"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
else
  "$root/scripts/build.sh"
  build="$root/build"
fi
db="$(mktemp -d)"
trap '"$root/scripts/mariadb.sh" stop "$db" || true; rm -rf "$db"' EXIT
# The database tests fail, not skip, when there is no server.
while IFS='=' read -r key value; do
  export "K71T_TEST_DB_$key=$value"
done < <(K71T_DB_PASSWORD=k71t-test "$root/scripts/mariadb.sh" start "$db" pomiary k71t)
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure "$@"
