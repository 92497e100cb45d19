#!/usr/bin/env bash
# Grouped REPORT fill speed: 50,000, 100,000 and 200,000 records in 20 regions of 10 customers
# of 10 orders (2,000 groups at the innermost of 3 levels) from SQLite, through
# `brevant report.kvd -C`. The group blocks do not share rows, so every record makes room for
# its block and copies it from the template copy: the time must grow linearly with the records.
#   bench/report/groups_run.sh [build folder]     (default: build-bench, configured here)
# BREVANT_BENCH_SIZES changes the record counts, BREVANT_BENCH_RUNS the runs (best one counts),
# BREVANT_BENCH_WORK the scratch folder.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=${1:-build-bench}
sizes=${BREVANT_BENCH_SIZES:-"50000 100000 200000"}
runs=${BREVANT_BENCH_RUNS:-3}
work=${BREVANT_BENCH_WORK:-/tmp/brevant-bench-groups}
mkdir -p "$work"

bench/support/build_release.sh "$build" brevant
brevant=$root/$build/brevant

# Header rows for region, customer and order, a detail row, a spacer closing each level, and
# totals in the headers that sum their own group.
/usr/bin/python3 - "$work/template.xlsx" <<'PY'
import sys, openpyxl
from openpyxl.styles import Font
wb = openpyxl.Workbook()
ws = wb.active
ws["A1"] = "Sales"
for cell in ("A2", "B3", "C4"):
    ws[cell].font = Font(bold=True)
ws["G2"] = "=SUM(E3:E8)"
ws["F4"] = "=SUM(E5:E6)"
ws["E5"].number_format = "#,##0.00"
ws["A9"] = "End"
wb.save(sys.argv[1])
PY

printf "%-9s %-10s %-9s %s\n" records seconds "peak MiB" "us/record"
for rows in $sizes; do
  db=$work/sales-$rows.db
  if [[ ! -f "$db" ]]; then
    per_order=$((rows / 2000))
    sqlite3 "$db" <<SQL
CREATE TABLE sales (i INTEGER, region TEXT, customer TEXT, ord TEXT, item TEXT, amount REAL);
WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM s WHERE i < $rows - 1)
INSERT INTO sales SELECT i, 'Region ' || (i / ($per_order * 100)),
  'Customer ' || (i / ($per_order * 10)), 'Order ' || (i / $per_order), 'Item ' || i,
  (i % 1000) / 7.0 FROM s;
SQL
  fi
  cat >"$work/report.kvd" <<KVD
Quorvel Version 2.0
[Data Source]
Name1=sales
ConnectionString1=Driver=SQLite3;Database=$db

[File]
ReportTemplateFileName=template.xlsx
ReportFileName=report.xlsx
LogFileName=report.log

[SQL]
@1=REPORT(SHEET=1 CELL=A2,B3,C4,D5 GROUP=region GROUPRANGE=A2:G8 GROUP=customer GROUPRANGE=A3:G7 GROUP=ord GROUPRANGE=A4:G6 RANGE=A5:G5)
SELECT region, customer, ord, item, amount FROM sales ORDER BY i
KVD
  best=""
  for _ in $(seq "$runs"); do
    /usr/bin/time -o "$work/time.txt" -f "%e %M" "$brevant" "$work/report.kvd" -C >/dev/null 2>&1
    line=$(tail -1 "$work/time.txt")
    if [[ -z "$best" ]] || awk -v a="${line% *}" -v b="${best% *}" 'BEGIN { exit !(a < b) }'; then
      best=$line
    fi
  done
  grep -q "Success." "$work/report.log" || { cat "$work/report.log"; exit 1; }
  read -r seconds kb <<<"$best"
  printf "%-9s %-10s %-9s %s\n" "$rows" "$seconds" "$((kb / 1024))" \
    "$(awk -v s="$seconds" -v n="$rows" 'BEGIN { printf "%.1f", s * 1e6 / n }')"
done
