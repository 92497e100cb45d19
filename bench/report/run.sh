#!/usr/bin/env bash
# REPORT fill speed and memory: a variable fill of 1,000,000 records x 10 fields from SQLite
# with COPYRANGE into an .xlsx template, end to end through `brevant report.kvd -C` (process start
# to exit), against libxlsxwriter writing the same cells from the same query in a small C
# program. Target: at most 2x its time, peak memory under 2 GB. Every record block also carries a
# formula (=D2*E2, copied with it) and the total row sums that column, so the run includes
# computing 1,000,000 formulas and a SUM over them before the save.
#   bench/report/run.sh [build folder]     (default: build-bench, configured here)
# BREVANT_BENCH_ROWS changes the record count, BREVANT_BENCH_RUNS the runs (best one counts),
# BREVANT_BENCH_WORK the scratch folder. BREVANT_BENCH_BEFORE=<another brevant executable> runs
# it and ours alternately on the same report and prints the medians of both, to measure what a
# change costs on a busy machine.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=${1:-build-bench}
rows=${BREVANT_BENCH_ROWS:-1000000}
runs=${BREVANT_BENCH_RUNS:-3}
work=${BREVANT_BENCH_WORK:-/tmp/brevant-bench-report}
mkdir -p "$work"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBREVANT_GUI=OFF -DBREVANT_TESTS=OFF \
  -DBREVANT_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target brevant bench_report_xlsxwriter >/dev/null
brevant=$root/$build/brevant
baseline=$root/$build/bench/report/bench_report_xlsxwriter

db=$work/facts.db
if [[ ! -f "$db" ]] || [[ "$(sqlite3 "$db" 'SELECT count(*) FROM facts' 2>/dev/null)" != "$rows" ]]; then
  rm -f "$db"
  sqlite3 "$db" <<SQL
CREATE TABLE facts (id INTEGER, region VARCHAR(20), product VARCHAR(40), qty INTEGER,
                    price REAL, amount NUMERIC(12,2), sold DATE, stamp DATETIME, flag INTEGER,
                    note VARCHAR(60));
WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < $rows)
INSERT INTO facts SELECT i, 'Region ' || (i % 17), 'Product number ' || (i % 1013), i % 97,
  (i % 1000) / 7.0, round((i % 10000) / 3.0, 2), date('2020-01-01', '+' || (i % 1500) || ' days'),
  datetime('2020-01-01 08:00:00', '+' || (i % 86400) || ' seconds'), i % 2,
  CASE WHEN i % 5 = 0 THEN NULL ELSE 'note ' || i END FROM s;
SQL
fi

# The template: a header row, the record row with its formats, the spare row of RESERVE=2 and
# a total over both, which grows with the records.
/usr/bin/python3 - "$work/template.xlsx" <<'PY'
import sys, openpyxl
from openpyxl.styles import Font
wb = openpyxl.Workbook()
ws = wb.active
for c, name in enumerate(["id", "region", "product", "qty", "price", "amount", "sold", "stamp",
                          "flag", "note", "value"], start=1):
    ws.cell(1, c, name).font = Font(bold=True)
for c in (5, 6):
    ws.cell(2, c).number_format = ws.cell(3, c).number_format = "#,##0.00"
ws["K2"] = "=D2*E2"
ws["A4"] = "Total"
ws["E4"] = "=SUM(E2:E3)"
ws["K4"] = "=SUM(K2:K3)"
wb.save(sys.argv[1])
PY
cat >"$work/report.kvd" <<KVD
Quorvel Version 2.0
[Data Source]
Name1=facts
ConnectionString1=Driver=SQLite3;Database=$db

[File]
ReportTemplateFileName=template.xlsx
ReportFileName=report.xlsx
LogFileName=report.log

[SQL]
@1=REPORT(SHEET=1 CELL=A2 RESERVE=2 COPYRANGE=A2:K2)
SELECT * FROM facts
KVD

query="SELECT * FROM facts"
if [[ -n "${BREVANT_BENCH_BEFORE:-}" ]]; then
  # "seconds peak-KiB" of each run, before and after alternating, then the medians.
  : >"$work/before.txt"
  : >"$work/after.txt"
  for _ in $(seq "$runs"); do
    /usr/bin/time -a -o "$work/before.txt" -f "%e %M" "$BREVANT_BENCH_BEFORE" "$work/report.kvd" \
      -C >/dev/null 2>&1
    /usr/bin/time -a -o "$work/after.txt" -f "%e %M" "$brevant" "$work/report.kvd" -C \
      >/dev/null 2>&1
  done
  grep -q "Success." "$work/report.log" || { cat "$work/report.log"; exit 1; }
  median() { sort -n -k"$2" "$1" | awk -v k="$2" '{ v[NR] = $k } END { print v[int((NR + 1) / 2)] }'; }
  for which in before after; do
    echo "$which: median ${runs} runs $(median "$work/$which.txt" 1)s, peak $(( $(median "$work/$which.txt" 2) / 1024 )) MiB"
  done
  exit 0
fi
# "seconds peak-KiB" of the best of $runs runs of a command.
best() {
  local best="" line
  for _ in $(seq "$runs"); do
    /usr/bin/time -o "$work/time.txt" -f "%e %M" "$@" >/dev/null 2>&1
    line=$(tail -1 "$work/time.txt")
    if [[ -z "$best" ]] || awk -v a="${line% *}" -v b="${best% *}" 'BEGIN { exit !(a < b) }'; then
      best=$line
    fi
  done
  echo "$best"
}
ours=$(best "$brevant" "$work/report.kvd" -C)
theirs=$(best "$baseline" "$db" "$work/baseline.xlsx" "$query")
grep -q "Success." "$work/report.log" || { cat "$work/report.log"; exit 1; }

read -r ours_s ours_kb <<<"$ours"
read -r theirs_s theirs_kb <<<"$theirs"
echo "records:        $rows x 10 fields"
echo "libxlsxwriter:  ${theirs_s}s, peak $((theirs_kb / 1024)) MiB"
echo "brevant -C:     ${ours_s}s, peak $((ours_kb / 1024)) MiB"
echo "time ratio:     $(awk -v a="$ours_s" -v b="$theirs_s" 'BEGIN { printf "%.2f", a / b }') (target <= 2.00)"
echo "peak memory:    $((ours_kb / 1024)) MiB (target < 2048)"
echo "report sizes:   $(stat -c %s "$work/report.xlsx") bytes (brevant), $(stat -c %s "$work/baseline.xlsx") bytes (libxlsxwriter)"
