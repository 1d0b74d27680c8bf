#!/usr/bin/env bash
# Randomized archive downloads over a faulty line against the simulator:
#   scripts/soak.sh [RUNS] [--seed S]   (default 30 runs)
# Prints a line for every run that went wrong and every 50th, then the table
# of runs, records checked, lost, duplicated and meters cleared without
# their records on disk; exit status 1 when any of those is not 0.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" --quiet k71t-soak
"$root/build/tests/k71t-soak" "$@"
