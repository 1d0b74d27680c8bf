#!/usr/bin/env bash
# Installs what is missing, builds, starts a throwaway MariaDB server for the
# database tests, runs every test and stops the server again.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
db="$(mktemp -d)"
trap '"$root/scripts/mariadb.sh" stop "$db" || true; rm -rf "$db"' EXIT
# The database tests fail, not skip, when there is no server.
while IFS='=' read -r key value; do
  export "K71T_TEST_DB_$key=$value"
done < <("$root/scripts/mariadb.sh" start "$db" pomiary k71t k71t-test)
cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure "$@"
