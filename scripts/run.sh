#!/usr/bin/env bash
# Installs what is missing, builds the programs, starts the K71T simulator on
# a pseudo-terminal mapped to COM3 and a local MariaDB server, and opens the
# program in a working folder (K71T_HOME, default ./work). Everything stops
# when the program closes; Ctrl+C closes it the normal way (its settings are
# saved).
#
# The database server keeps its data in the working folder (mysql/), listens
# on loopback only, on a free port, and has the database "pomiary" with the
# table "K71T" and the user "k71t" (its password is made once and kept in
# mysql/password). sql.conf is written for it with database support on,
# unless sql.conf already names another server: settings the operator made
# in the "MySQL" window are left alone. K71T_NO_DB=1 starts no server.
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

db="$home/mysql"
sim=""
stop_all() {
  [ -n "$sim" ] && { kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; }
  if [ -z "${K71T_NO_DB:-}" ]; then "$root/scripts/mariadb.sh" stop "$db" || true; fi
}
trap stop_all EXIT

if [ -z "${K71T_NO_DB:-}" ]; then
  mkdir -p "$db"
  chmod 700 "$db"
  if [ ! -s "$db/password" ]; then
    (umask 077; head -c 18 /dev/urandom | base64 | tr -dc 'A-Za-z0-9' > "$db/password")
  fi
  password="$(cat "$db/password")"
  previous_port="$(sed -n 's/^PORT=//p' "$db/server.env" 2>/dev/null || true)"
  K71T_DB_PASSWORD="$password" "$root/scripts/mariadb.sh" start "$db" pomiary k71t > /dev/null
  port="$(sed -n 's/^PORT=//p' "$db/server.env")"
  cli=("$root/build/k71t-cli" --sql-conf "$home/sql.conf")
  current="$("${cli[@]}" db settings 2>/dev/null || true)"
  current_server="$(printf '%s\n' "$current" | sed -n 's/^serwer\t//p')"
  current_port="$(printf '%s\n' "$current" | sed -n 's/^port\t//p')"
  # Ours when missing, or when it names the server of the last run.
  if [ ! -f "$home/sql.conf" ] || { [ "$current_server" = "127.0.0.1" ] && [ "$current_port" = "$previous_port" ]; }; then
    "${cli[@]}" db settings --server 127.0.0.1 --port "$port" --database pomiary --user k71t \
      --password-file "$db/password" --support on > /dev/null
    "${cli[@]}" db create-table > /dev/null 2>&1 || true # there from an earlier run
    echo "run: MariaDB on 127.0.0.1:$port (data in $db), written to $home/sql.conf"
  else
    echo "run: MariaDB on 127.0.0.1:$port (data in $db); sql.conf names another server and is left as it is"
  fi
fi

"$root/build/k71t-sim" --link "$link" --archive-records 2000 > "$home/sim.out" &
sim=$!
for _ in $(seq 100); do [ -L "$link" ] && break; sleep 0.1; done
[ -L "$link" ] || { echo "run: the simulator did not start" >&2; exit 1; }
echo "run: K71T simulator on $(head -n1 "$home/sim.out" | cut -d' ' -f2) as COM3"

cd "$home"
# The program gets Ctrl+C itself and closes normally; the script waits for it.
trap '' INT
K71T_COM3="$link" "$root/build/k71t" "$@" || status=$?
exit "${status:-0}"
