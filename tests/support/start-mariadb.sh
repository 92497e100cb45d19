#!/usr/bin/env bash
# Starts a private MariaDB server for the database tests, adds its ODBC driver and a DSN for it to
# the private ODBC configuration of start-postgres.sh (or to one of its own when that has not
# run) and exports what the tests read:
#   BREVANT_MARIADB_HOST, BREVANT_MARIADB_PORT, BREVANT_MARIADB_DATABASE, BREVANT_MARIADB_USER,
#   BREVANT_MARIADB_PASSWORD
#   BREVANT_MARIADB_DSN       an ODBC data source name for the server (no login stored in it)
#   BREVANT_MARIADB_CONNSTR   a DSN-less ODBC connection string with the login
#   BREVANT_MARIADB_SOCKET    the server's own socket
# Meant to be sourced after start-postgres.sh (scripts/test does, under `set -euo pipefail`); the
# server stops when the sourcing shell exits. Port: BREVANT_MARIADB_PORT, default 33069.

# shellcheck source=tests/support/server-common.sh
source "$(dirname "${BASH_SOURCE[0]}")/server-common.sh"

if [[ ! -x /usr/sbin/mariadbd ]] || ! command -v mariadb-install-db >/dev/null; then
  echo "start-mariadb: no MariaDB server installed; MariaDB tests will skip" >&2
  return 0 2>/dev/null || exit 0
fi

brevant_my_port=${BREVANT_MARIADB_PORT:-33069}
brevant_my_root=/tmp/brevant-mariadb-$(id -u)-$brevant_my_port
brevant_my_user_opt=()
brevant_my_owner=$(id -un)
if brevant_as_service_user mysql; then
  brevant_my_user_opt=(--user=mysql)
  brevant_my_owner=mysql
fi

brevant_my_stop() {
  local pid_file="$brevant_my_root/run/mariadbd.pid"
  [[ -f "$pid_file" ]] || return 0
  local pid
  pid=$(cat "$pid_file" 2>/dev/null) || return 0
  [[ -n "$pid" ]] || return 0
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
}

# A server left over from an earlier run of this script goes first.
brevant_my_stop
rm -rf "$brevant_my_root"
mkdir -p "$brevant_my_root/data" "$brevant_my_root/run"
chmod 755 "$brevant_my_root"
chown "$brevant_my_owner" "$brevant_my_root/data" "$brevant_my_root/run"

export BREVANT_MARIADB_HOST=127.0.0.1
export BREVANT_MARIADB_PORT=$brevant_my_port
export BREVANT_MARIADB_DATABASE=brevant_test
export BREVANT_MARIADB_USER=brevant
export BREVANT_MARIADB_PASSWORD='brevant-secret'
export BREVANT_MARIADB_DSN=BrevantMariaDB
export BREVANT_MARIADB_SOCKET=$brevant_my_root/run/mariadbd.sock

# --no-defaults everywhere: the machine's own /etc/mysql settings must not leak in.
mariadb-install-db --no-defaults "${brevant_my_user_opt[@]}" --datadir="$brevant_my_root/data" \
  --auth-root-authentication-method=socket --skip-test-db >"$brevant_my_root/install.log" 2>&1
/usr/sbin/mariadbd --no-defaults "${brevant_my_user_opt[@]}" --datadir="$brevant_my_root/data" \
  --port="$brevant_my_port" --bind-address=127.0.0.1 --socket="$BREVANT_MARIADB_SOCKET" \
  --pid-file="$brevant_my_root/run/mariadbd.pid" --log-error="$brevant_my_root/run/server.log" \
  --skip-log-bin --innodb-buffer-pool-size=32M --innodb-log-file-size=16M \
  --innodb-flush-log-at-trx-commit=0 --character-set-server=utf8mb4 \
  --collation-server=utf8mb4_unicode_ci >/dev/null 2>&1 &
brevant_my_started=0
# A loaded machine may take a while: up to two minutes.
for _ in $(seq 1 600); do
  if [[ -S "$BREVANT_MARIADB_SOCKET" ]] &&
    mariadb --no-defaults -S "$BREVANT_MARIADB_SOCKET" -u root -e 'select 1' >/dev/null 2>&1; then
    brevant_my_started=1
    break
  fi
  sleep 0.2
done
if ((!brevant_my_started)); then
  echo "start-mariadb: the server did not start; see $brevant_my_root/run/server.log" >&2
  return 1 2>/dev/null || exit 1
fi

brevant_stop_on_exit brevant_my_stop

mariadb --no-defaults -S "$BREVANT_MARIADB_SOCKET" -u root <<SQL
CREATE DATABASE $BREVANT_MARIADB_DATABASE CHARACTER SET utf8mb4;
CREATE USER '$BREVANT_MARIADB_USER'@'127.0.0.1' IDENTIFIED BY '$BREVANT_MARIADB_PASSWORD';
CREATE USER '$BREVANT_MARIADB_USER'@'localhost' IDENTIFIED BY '$BREVANT_MARIADB_PASSWORD';
GRANT ALL ON $BREVANT_MARIADB_DATABASE.* TO '$BREVANT_MARIADB_USER'@'127.0.0.1';
GRANT ALL ON $BREVANT_MARIADB_DATABASE.* TO '$BREVANT_MARIADB_USER'@'localhost';
SQL

if ! brevant_my_driver=$(brevant_find_odbc_driver libmaodbc.so); then
  echo "start-mariadb: the MariaDB ODBC driver (libmaodbc.so) not found" >&2
  return 1 2>/dev/null || exit 1
fi

# The driver and the DSN join the private ODBC configuration of start-postgres.sh.
if [[ -z "${ODBCSYSINI:-}" || -z "${ODBCINI:-}" ]]; then
  mkdir -p "$brevant_my_root/odbc"
  : >"$brevant_my_root/odbc/odbcinst.ini"
  : >"$brevant_my_root/odbc/odbc.ini"
  export ODBCSYSINI=$brevant_my_root/odbc
  export ODBCINI=$brevant_my_root/odbc/odbc.ini
fi
cat >>"$ODBCSYSINI/odbcinst.ini" <<INI

[MariaDB Unicode]
Description=MariaDB Connector/ODBC
Driver=$brevant_my_driver
INI
cat >>"$ODBCINI" <<INI

[$BREVANT_MARIADB_DSN]
Driver=MariaDB Unicode
Server=$BREVANT_MARIADB_HOST
Port=$BREVANT_MARIADB_PORT
Database=$BREVANT_MARIADB_DATABASE
INI
export BREVANT_MARIADB_CONNSTR="Driver={MariaDB Unicode};Server=$BREVANT_MARIADB_HOST;Port=$BREVANT_MARIADB_PORT;Database=$BREVANT_MARIADB_DATABASE;UID=$BREVANT_MARIADB_USER;PWD=$BREVANT_MARIADB_PASSWORD"
echo "start-mariadb: MariaDB on $BREVANT_MARIADB_HOST:$BREVANT_MARIADB_PORT, DSN $BREVANT_MARIADB_DSN" >&2
