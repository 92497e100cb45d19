#!/usr/bin/env bash
# A report run from the Run dialog against the same run in batch: a variable fill of 300,000
# records x 10 fields from SQLite, timed with `brevant -C` (process start to exit) and, in one
# process under xvfb-run (a real X server), in batch, from the Run dialog, and stopped by End.
# Targets: the dialog's run within 1.3x of the batch run; End answered within 200 ms.
#   bench/workspace/run.sh [build folder]     (default: build, as scripts/setup makes it)
# BREVANT_BENCH_ROWS changes the record count, BREVANT_BENCH_RUNS the batch runs (best counts),
# BREVANT_BENCH_WORK the scratch folder.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=${1:-build}
rows=${BREVANT_BENCH_ROWS:-300000}
runs=${BREVANT_BENCH_RUNS:-3}
work=${BREVANT_BENCH_WORK:-/tmp/brevant-bench-workspace-$(id -u)}
mkdir -p "$work"

cmake --build "$build" -j2 --target brevant bench_interactive_run >/dev/null
brevant=$root/$build/brevant
bench=$root/$build/bench/workspace/bench_interactive_run

db=$work/facts.db
"$root/bench/support/make_facts_db.sh" sqlite "$db" "$rows"

/usr/bin/python3 - "$work/template.xlsx" <<'PY'
import sys, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
for c, name in enumerate(["id", "region", "product", "qty", "price", "amount", "sold", "stamp",
                          "flag", "note"], start=1):
    ws.cell(1, c, name)
ws["A4"] = "Total"
ws["E4"] = "=SUM(E2:E3)"
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
ReportFileType=XLSX
LogFileName=report.log

[SQL]
@1=REPORT(SHEET=1 CELL=A2 RESERVE=2 COPYRANGE=A2:J2)
SELECT * FROM facts
KVD

best=""
for _ in $(seq "$runs"); do
  /usr/bin/time -o "$work/time.txt" -f "%e" "$brevant" "$work/report.kvd" -C >/dev/null 2>&1
  t=$(tail -1 "$work/time.txt")
  if [[ -z "$best" ]] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
done
grep -q "Success." "$work/report.log" || { cat "$work/report.log"; exit 1; }

echo "records:                $rows x 10 fields"
echo "brevant -C:             ${best} s (best of $runs, process start to exit)"
out=$(xvfb-run -a -s "-screen 0 1280x1024x24" "$bench" "$work/report.kvd" "$root/$build" 3)
echo "$out"
batch=$(awk '/^batch run in process/ { print $(NF-1) }' <<<"$out")
dialog=$(awk '/^interactive run:/ { print $3 }' <<<"$out")
echo "dialog / batch:         $(awk -v a="$dialog" -v b="$batch" 'BEGIN { printf "%.2f", a / b }') (in process; target <= 1.30)"
echo "dialog / brevant -C:    $(awk -v a="$dialog" -v b="$best" 'BEGIN { printf "%.2f", a / b }')"
