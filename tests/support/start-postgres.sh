#!/usr/bin/env bash
# Starts a private PostgreSQL 15 server for the database tests and benchmarks, writes a private
# ODBC configuration (drivers and a DSN for it) and exports what the tests read:
#   BREVANT_PG_HOST, BREVANT_PG_PORT, BREVANT_PG_DATABASE, BREVANT_PG_USER, BREVANT_PG_PASSWORD
#   BREVANT_PG_DSN       an ODBC data source name for the server (no login stored in it)
#   BREVANT_PG_CONNSTR   a DSN-less ODBC connection string with the login
#   BREVANT_PG_BIN       the server's programs (initdb, pg_ctl)
#   BREVANT_PG_RUNAS     the command prefix that runs them as the server's user ("" when not root)
#   BREVANT_SQLITE_ODBC_DRIVER  the SQLite 3 ODBC driver library
#   ODBCSYSINI, ODBCINI  the private ODBC configuration
# Meant to be sourced (scripts/test does, under `set -euo pipefail`); the server stops when the
# sourcing shell exits. Running it again replaces the previous server and its data.

# shellcheck source=tests/support/server-common.sh
source "$(dirname "${BASH_SOURCE[0]}")/server-common.sh"

brevant_pg_bin=${BREVANT_PG_BIN:-/usr/lib/postgresql/15/bin}
if [[ ! -x "$brevant_pg_bin/postgres" ]]; then
  echo "start-postgres: no PostgreSQL 15 in $brevant_pg_bin; database server tests will skip" >&2
  return 0 2>/dev/null || exit 0
fi

brevant_pg_port=${BREVANT_PG_PORT:-54329}
# One folder per port, so that test runs of several checkouts can each have a server.
brevant_pg_root=/tmp/brevant-pg-$(id -u)-$brevant_pg_port
brevant_pg_runas=""
brevant_pg_owner=$(id -un)
if brevant_as_service_user postgres; then
  brevant_pg_runas="runuser -u postgres --"
  brevant_pg_owner=postgres
fi

brevant_pg_stop() {
  if [[ -f "$brevant_pg_root/data/postmaster.pid" ]]; then
    $brevant_pg_runas "$brevant_pg_bin/pg_ctl" -D "$brevant_pg_root/data" -m fast -w stop \
      >/dev/null 2>&1 || true
  fi
}

# A server left over from an earlier run of this script goes first.
brevant_pg_stop
if [[ -f "$brevant_pg_root/data/postmaster.pid" ]]; then
  $brevant_pg_runas "$brevant_pg_bin/pg_ctl" -D "$brevant_pg_root/data" -m immediate -w stop \
    >/dev/null 2>&1 || true
fi
rm -rf "$brevant_pg_root"
mkdir -p "$brevant_pg_root/data" "$brevant_pg_root/run" "$brevant_pg_root/odbc"
chmod 755 "$brevant_pg_root"
chown "$brevant_pg_owner" "$brevant_pg_root/data" "$brevant_pg_root/run"
chmod 700 "$brevant_pg_root/data"

export BREVANT_PG_HOST=127.0.0.1
export BREVANT_PG_PORT=$brevant_pg_port
export BREVANT_PG_DATABASE=brevant_test
export BREVANT_PG_USER=brevant
export BREVANT_PG_PASSWORD='brevant-secret'
export BREVANT_PG_DSN=BrevantPostgres
export BREVANT_PG_BIN=$brevant_pg_bin
export BREVANT_PG_RUNAS=$brevant_pg_runas

$brevant_pg_runas "$brevant_pg_bin/initdb" -D "$brevant_pg_root/data" -U postgres -E UTF8 \
  --no-locale --auth-local=trust --auth-host=scram-sha-256 >"$brevant_pg_root/initdb.log" 2>&1
$brevant_pg_runas "$brevant_pg_bin/pg_ctl" -D "$brevant_pg_root/data" -w -t 60 \
  -l "$brevant_pg_root/run/server.log" \
  -o "-p $brevant_pg_port -k $brevant_pg_root/run -c listen_addresses=127.0.0.1 -c fsync=off" \
  start >/dev/null
brevant_stop_on_exit brevant_pg_stop

$brevant_pg_runas psql -X -q -h "$brevant_pg_root/run" -p "$brevant_pg_port" -U postgres \
  -d postgres -v ON_ERROR_STOP=1 >/dev/null <<SQL
CREATE ROLE $BREVANT_PG_USER LOGIN PASSWORD '$BREVANT_PG_PASSWORD';
CREATE DATABASE $BREVANT_PG_DATABASE OWNER $BREVANT_PG_USER;
SQL

if ! brevant_psqlodbc=$(brevant_find_odbc_driver psqlodbcw.so); then
  echo "start-postgres: psqlODBC (psqlodbcw.so) not found" >&2
  return 1 2>/dev/null || exit 1
fi
BREVANT_SQLITE_ODBC_DRIVER=$(dirname "$brevant_psqlodbc")/libsqlite3odbc.so
export BREVANT_SQLITE_ODBC_DRIVER

cat >"$brevant_pg_root/odbc/odbcinst.ini" <<INI
[PostgreSQL Unicode]
Description=PostgreSQL ODBC driver (Unicode)
Driver=$brevant_psqlodbc

[SQLite3]
Description=SQLite3 ODBC driver
Driver=$BREVANT_SQLITE_ODBC_DRIVER
INI
cat >"$brevant_pg_root/odbc/odbc.ini" <<INI
[$BREVANT_PG_DSN]
Driver=PostgreSQL Unicode
Servername=$BREVANT_PG_HOST
Port=$BREVANT_PG_PORT
Database=$BREVANT_PG_DATABASE
BoolsAsChar=0

[BrevantSqlite]
Driver=SQLite3
Database=$brevant_pg_root/odbc/empty.db
INI
export ODBCSYSINI=$brevant_pg_root/odbc
export ODBCINI=$brevant_pg_root/odbc/odbc.ini
export BREVANT_PG_CONNSTR="Driver={PostgreSQL Unicode};Server=$BREVANT_PG_HOST;Port=$BREVANT_PG_PORT;Database=$BREVANT_PG_DATABASE;UID=$BREVANT_PG_USER;PWD=$BREVANT_PG_PASSWORD;BoolsAsChar=0"
echo "start-postgres: PostgreSQL on $BREVANT_PG_HOST:$BREVANT_PG_PORT, DSN $BREVANT_PG_DSN" >&2
