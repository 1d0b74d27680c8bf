#!/usr/bin/env bash
# Installs what is missing, builds the programs, starts the K71T simulator on
# a pseudo-terminal mapped to COM3 and opens the program in a working folder
# (K71T_HOME, default ./work). Everything stops when the program closes;
# Ctrl+C closes it the normal way (its settings are saved).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: the program needs a desktop session (no DISPLAY is set)." >&2
  echo "run: start it from a terminal on the desktop, or log in with 'ssh -X' to show it on yours." >&2
  exit 1
fi
"$root/scripts/setup.sh"
echo "run: building the programs ..."
"$root/scripts/build.sh" --quiet k71t k71t-sim k71t-cli

home="${K71T_HOME:-$root/work}"
mkdir -p "$home"
link="$home/ttyK71T"

"$root/build/k71t-sim" --link "$link" --archive-records 2000 > "$home/sim.out" &
sim=$!
trap 'kill $sim 2>/dev/null || true; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -L "$link" ] && break; sleep 0.1; done
[ -L "$link" ] || { echo "run: the simulator did not start" >&2; exit 1; }
echo "run: K71T simulator on $(head -n1 "$home/sim.out" | cut -d' ' -f2) as COM3"

cd "$home"
# The program gets Ctrl+C itself and closes normally; the script waits for it.
trap '' INT
K71T_COM3="$link" "$root/build/k71t" "$@" || status=$?
exit "${status:-0}"
