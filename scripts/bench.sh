#!/usr/bin/env bash
# Builds and runs every benchmark; each prints its figure beside its
# reference. The database benchmarks get a throwaway MariaDB server.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
db="$(mktemp -d)"
trap '"$root/scripts/mariadb.sh" stop "$db" || true; rm -rf "$db"' EXIT
while IFS='=' read -r key value; do
  export "K71T_TEST_DB_$key=$value"
done < <(K71T_DB_PASSWORD=k71t-bench "$root/scripts/mariadb.sh" start "$db" pomiary k71t)
for b in "$root"/build/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  case "$(basename "$b")" in
    # The desktop's pings need a real X server.
    bench_responsive) xvfb-run -a -s "-screen 0 1280x1024x24" "$b" ;;
    *) "$b" ;;
  esac
done
