#!/usr/bin/env bash
# Record-set speed: 1,000,000 rows x 10 columns opened and stepped through twice (count, then
# every field read), against the database's own command-line client printing the same query
# to /dev/null.
#   bench/database/run.sh [build folder]     (default: build-bench, configured here)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=${1:-build-bench}
rows=${BREVANT_BENCH_ROWS:-1000000}
work=/tmp/brevant-bench-database
mkdir -p "$work"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBREVANT_GUI=OFF -DBREVANT_TESTS=OFF \
  -DBREVANT_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target bench_database_fetch >/dev/null
bench=$root/$build/bench/database/bench_database_fetch

# Wall seconds of a command, its output discarded.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
less() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
# The best of three runs of the benchmark program: its total and its peak memory.
best_of_three() {
  local best="" line total
  for _ in 1 2 3; do
    line=$("$bench" "$@")
    total=$(sed -E 's/.*total=([0-9.]+)s.*/\1/' <<<"$line")
    if [[ -z "$best" ]] || less "$total" "$best"; then
      best=$total
      best_line=$line
    fi
  done
  echo "$best_line"
}
best_seconds() {
  local best="" t
  for _ in 1 2 3; do
    t=$(seconds "$@")
    if [[ -z "$best" ]] || less "$t" "$best"; then best=$t; fi
  done
  echo "$best"
}

query="SELECT * FROM facts"

# SQLite
db=$work/facts.db
if [[ ! -f "$db" ]] || [[ "$(sqlite3 "$db" 'SELECT count(*) FROM facts' 2>/dev/null)" != "$rows" ]]; then
  rm -f "$db"
  sqlite3 "$db" <<SQL
CREATE TABLE facts (id INTEGER, region VARCHAR(20), product VARCHAR(40), qty INTEGER,
                    price REAL, amount NUMERIC(12,2), sold DATE, stamp DATETIME, flag BOOLEAN,
                    note VARCHAR(60));
WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < $rows)
INSERT INTO facts SELECT i, 'Region ' || (i % 17), 'Product number ' || (i % 1013), i % 97,
  (i % 1000) / 7.0, round((i % 10000) / 3.0, 2), date('2020-01-01', '+' || (i % 1500) || ' days'),
  datetime('2020-01-01 08:00:00', '+' || (i % 86400) || ' seconds'), i % 2,
  CASE WHEN i % 5 = 0 THEN NULL ELSE 'note ' || i END FROM s;
SQL
fi
cli=$(best_seconds sqlite3 "$db" "$query")
ours=$(best_of_three "Driver=SQLite3;Database=$db" "$query")
ours_total=$(sed -E 's/.*total=([0-9.]+)s.*/\1/' <<<"$ours")
echo "SQLite   sqlite3 CLI: ${cli}s"
echo "SQLite   brevant:     $ours"
echo "SQLite   ratio:       $(ratio "$ours_total" "$cli") (target <= 1.30)"

# PostgreSQL over ODBC
if [[ -z "${BREVANT_PG_DSN:-}" ]]; then
  # shellcheck source=/dev/null
  source "$root/tests/support/start-postgres.sh"
fi
export PGPASSWORD=$BREVANT_PG_PASSWORD
psql_cmd=(psql -X -q -h "$BREVANT_PG_HOST" -p "$BREVANT_PG_PORT" -U "$BREVANT_PG_USER"
  -d "$BREVANT_PG_DATABASE")
if [[ "$("${psql_cmd[@]}" -tAc 'SELECT count(*) FROM facts' 2>/dev/null)" != "$rows" ]]; then
  "${psql_cmd[@]}" -v ON_ERROR_STOP=1 >/dev/null <<SQL
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
fi
cli=$(best_seconds "${psql_cmd[@]}" -c "$query")
ours=$(best_of_three "$BREVANT_PG_CONNSTR" "$query")
ours_total=$(sed -E 's/.*total=([0-9.]+)s.*/\1/' <<<"$ours")
echo "Postgres psql:        ${cli}s"
echo "Postgres brevant:     $ours"
echo "Postgres ratio:       $(ratio "$ours_total" "$cli") (target <= 1.30)"
ours=$(best_of_three "$BREVANT_PG_CONNSTR;UseDeclareFetch=1;Fetch=10000" "$query")
echo "Postgres brevant, UseDeclareFetch=1 (driver keeps 10,000 rows at a time): $ours"
