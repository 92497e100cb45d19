#!/usr/bin/env bash
# The table the record-set and report benchmarks read: `facts`, N records x 10 fields (a whole
# number, two short texts, a quantity, a real price, a decimal amount, a date, a date and time, a
# flag and a text that is Null every 5th record). Kept when it already holds N records.
#   bench/support/make_facts_db.sh sqlite <database file> <records> [flag column type]
#       (the flag's declared type: INTEGER, or BOOLEAN as the record-set benchmark has it)
#   bench/support/make_facts_db.sh postgres <records> <psql command and its arguments...>
set -euo pipefail

sqlite_facts() {
  local db=$1 rows=$2 flag=${3:-INTEGER}
  if [[ -f "$db" ]] && [[ "$(sqlite3 "$db" 'SELECT count(*) FROM facts' 2>/dev/null)" == "$rows" ]]; then
    return 0
  fi
  rm -f "$db"
  sqlite3 "$db" <<SQL
CREATE TABLE facts (id INTEGER, region VARCHAR(20), product VARCHAR(40), qty INTEGER,
                    price REAL, amount NUMERIC(12,2), sold DATE, stamp DATETIME, flag $flag,
                    note VARCHAR(60));
WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < $rows)
INSERT INTO facts SELECT i, 'Region ' || (i % 17), 'Product number ' || (i % 1013), i % 97,
  (i % 1000) / 7.0, round((i % 10000) / 3.0, 2), date('2020-01-01', '+' || (i % 1500) || ' days'),
  datetime('2020-01-01 08:00:00', '+' || (i % 86400) || ' seconds'), i % 2,
  CASE WHEN i % 5 = 0 THEN NULL ELSE 'note ' || i END FROM s;
SQL
}

postgres_facts() {
  local rows=$1
  shift
  if [[ "$("$@" -tAc 'SELECT count(*) FROM facts' 2>/dev/null)" == "$rows" ]]; then
    return 0
  fi
  "$@" -v ON_ERROR_STOP=1 >/dev/null <<SQL
DROP TABLE IF EXISTS facts;
CREATE TABLE facts (id integer, region varchar(20), product varchar(40), qty integer,
                    price double precision, amount numeric(12,2), sold date, stamp timestamp,
                    flag boolean, note varchar(60));
INSERT INTO facts SELECT i, 'Region ' || (i % 17), 'Product number ' || (i % 1013), i % 97,
  (i % 1000) / 7.0, round((i % 10000) / 3.0, 2), date '2020-01-01' + (i % 1500),
  timestamp '2020-01-01 08:00:00' + (i % 86400) * interval '1 second', i % 2 = 1,
  CASE WHEN i % 5 = 0 THEN NULL ELSE 'note ' || i END FROM generate_series(1, $rows) i;
VACUUM ANALYZE facts;
SQL
}

case ${1:-} in
sqlite) shift && sqlite_facts "$@" ;;
postgres) shift && postgres_facts "$@" ;;
*)
  echo "usage: $0 sqlite <database file> <records> [flag type] | postgres <records> <psql...>" >&2
  exit 2
  ;;
esac
