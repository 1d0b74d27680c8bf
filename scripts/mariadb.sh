#!/usr/bin/env bash
# A MariaDB server of our own: its data in a folder we name, on loopback
# only, on a free port, reached over TCP.
#
#   mariadb.sh start DIR [DATABASE USER]
#       creates the data folder when it is new, starts the server, waits for
#       it, creates the database and the user (all privileges on it), and
#       prints the lines "HOST=...", "PORT=...", "DATABASE=...", "USER=...",
#       "PASSWORD=..." (also kept in DIR/server.env); a server of DIR still
#       running is stopped first. The password never travels as an argument:
#       it comes from K71T_DB_PASSWORD, or from the file K71T_DB_PASSWORD_FILE
#       names, or is made up afresh. Every file made here is the owner's
#       alone, whatever the caller's umask.
#   mariadb.sh stop DIR
#       stops that server and waits until it has gone
set -euo pipefail
umask 077

command=${1:-}
dir=${2:-}
usage() { echo "usage: mariadb.sh start DIR [DATABASE USER] | mariadb.sh stop DIR" >&2; exit 2; }
[ -n "$command" ] && [ -n "$dir" ] || usage
mkdir -p "$dir"
chmod go-rwx "$dir"
dir="$(cd "$dir" && pwd)"
data="$dir/data"
socket="$dir/mysqld.sock"
pidfile="$dir/mysqld.pid"

admin() { mariadb-admin --no-defaults --socket="$socket" --user=root "$@"; }

case "$command" in
start)
  [ $# -le 4 ] || { echo "mariadb.sh: the password comes from K71T_DB_PASSWORD or K71T_DB_PASSWORD_FILE, never as an argument" >&2; exit 2; }
  database=${3:-pomiary}
  user=${4:-k71t}
  if [ -n "${K71T_DB_PASSWORD:-}" ]; then
    password=$K71T_DB_PASSWORD
  elif [ -n "${K71T_DB_PASSWORD_FILE:-}" ]; then
    password=$(head -n 1 "$K71T_DB_PASSWORD_FILE")
  else
    password=$(python3 -c 'import secrets; print(secrets.token_urlsafe(18))')
  fi
  case "$password" in *"'"* | *"\\"*) echo "mariadb.sh: the password may not hold ' or \\" >&2; exit 2 ;; esac
  # A server of this folder still running (its script was killed): stopped
  # first, so the new one does not fail on its locks while the old answers.
  if [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then
    bash "$0" stop "$dir"
  fi
  if [ ! -d "$data/mysql" ]; then
    mariadb-install-db --no-defaults --auth-root-authentication-method=socket --skip-test-db \
      --datadir="$data" --user="$(id -un)" >"$dir/install.log" 2>&1
  fi
  # A free port: the kernel picks one for a socket bound to port 0.
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  UMASK=0600 UMASK_DIR=0700 mariadbd --no-defaults --user="$(id -un)" --datadir="$data" --bind-address=127.0.0.1 --port="$port" \
    --socket="$socket" --pid-file="$pidfile" --skip-name-resolve --innodb-buffer-pool-size=64M \
    --log-error="$dir/server.log" >/dev/null 2>&1 &
  # The server answering on the socket must be the one just started: the
  # one listening on the new port.
  ours() {
    [ "$(mariadb --no-defaults --socket="$socket" --user=root -N -e 'SELECT @@port' 2>/dev/null)" = "$port" ]
  }
  for _ in $(seq 1 300); do
    ours && break
    sleep 0.1
  done
  ours || { echo "mariadb.sh: the server did not start; see $dir/server.log" >&2; exit 1; }
  mariadb --no-defaults --socket="$socket" --user=root <<SQL
CREATE DATABASE IF NOT EXISTS \`$database\`;
CREATE USER IF NOT EXISTS '$user'@'127.0.0.1' IDENTIFIED BY '$password';
CREATE USER IF NOT EXISTS '$user'@'localhost' IDENTIFIED BY '$password';
ALTER USER '$user'@'127.0.0.1' IDENTIFIED BY '$password';
ALTER USER '$user'@'localhost' IDENTIFIED BY '$password';
GRANT ALL PRIVILEGES ON \`$database\`.* TO '$user'@'127.0.0.1';
GRANT ALL PRIVILEGES ON \`$database\`.* TO '$user'@'localhost';
SQL
  printf 'HOST=127.0.0.1\nPORT=%s\nDATABASE=%s\nUSER=%s\nPASSWORD=%s\n' "$port" "$database" "$user" "$password" |
    tee "$dir/server.env"
  ;;
stop)
  [ -f "$pidfile" ] || exit 0
  pid=$(cat "$pidfile")
  admin shutdown >/dev/null 2>&1 || kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || exit 0
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
  ;;
*)
  usage
  ;;
esac
