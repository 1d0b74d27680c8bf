#!/usr/bin/env bash
# Installs what is missing, builds, starts the K71T simulator on a
# pseudo-terminal mapped to COM3 and opens the program in a working folder
# (K71T_HOME, default ./work). Everything stops when the program closes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"

home="${K71T_HOME:-$root/work}"
mkdir -p "$home"
link="$home/ttyK71T"

"$root/build/k71t-sim" --link "$link" --archive-records 2000 > "$home/sim.out" &
sim=$!
trap 'kill $sim 2>/dev/null || true; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -L "$link" ] && break; sleep 0.1; done
[ -L "$link" ] || { echo "run: the simulator did not start" >&2; exit 1; }
echo "run: K71T simulator on $(head -n1 "$home/sim.out" | cut -d' ' -f2) as COM3"

cd "$home"
K71T_COM3="$link" "$root/build/k71t" "$@"
