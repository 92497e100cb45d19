#!/usr/bin/env bash
# Record-set speed: 1,000,000 rows x 10 columns opened and stepped through twice (count, then
# every field read), against the database's own command-line client printing the same query
# to /dev/null.
#   bench/database/run.sh [build folder]     (default: build-bench, configured here)
# BREVANT_BENCH_ROWS changes the record count, BREVANT_BENCH_WORK the scratch folder.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=${1:-build-bench}
rows=${BREVANT_BENCH_ROWS:-1000000}
work=${BREVANT_BENCH_WORK:-/tmp/brevant-bench-database}
mkdir -p "$work"

bench/support/build_release.sh "$build" bench_database_fetch
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
"$root/bench/support/make_facts_db.sh" sqlite "$db" "$rows" BOOLEAN
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
"$root/bench/support/make_facts_db.sh" postgres "$rows" "${psql_cmd[@]}"
cli=$(best_seconds "${psql_cmd[@]}" -c "$query")
ours=$(best_of_three "$BREVANT_PG_CONNSTR" "$query")
ours_total=$(sed -E 's/.*total=([0-9.]+)s.*/\1/' <<<"$ours")
echo "Postgres psql:        ${cli}s"
echo "Postgres brevant:     $ours"
echo "Postgres ratio:       $(ratio "$ours_total" "$cli") (target <= 1.30)"
ours=$(best_of_three "$BREVANT_PG_CONNSTR;UseDeclareFetch=1;Fetch=10000" "$query")
echo "Postgres brevant, UseDeclareFetch=1 (driver keeps 10,000 rows at a time): $ours"
