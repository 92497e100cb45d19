#!/usr/bin/env bash
# REPORT fill speed and memory: a variable fill of 1,000,000 records x 10 fields from SQLite
# with COPYRANGE into an .xlsx template, end to end through `brevant report.kvd -C` (process start
# to exit), against peers producing the same cells from the same query, timed in the same run:
#   xlsxwriter   a small C program with libxlsxwriter (constant-memory mode)
#   libreoffice  LibreOffice headless filling the same template through its API (python3-uno)
# Targets: 1,000,000 records at most 0.4x libxlsxwriter; 100,000 records at most 0.1x
# LibreOffice; peak memory at 1,000,000 records at most 512 MiB.
#   bench/report/run.sh [build folder]     (default: build-bench, configured here)
# BREVANT_BENCH_ROWS: record count (1000000); BREVANT_BENCH_RUNS: runs of each program, the
# median counts (5); BREVANT_BENCH_PEERS: peers to time ("xlsxwriter"; add "libreoffice");
# BREVANT_BENCH_OTHER: another brevant executable (an older build) timed in the same rounds.
# The programs run interleaved, one round after another, so a change in the machine's load
# touches them alike. BREVANT_BENCH_WORK: the scratch folder. Every record block also carries a
# formula (=D2*E2, copied with it) and the total row sums that column, so the run includes
# computing 1,000,000 formulas and a SUM over them.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=${1:-build-bench}
rows=${BREVANT_BENCH_ROWS:-1000000}
runs=${BREVANT_BENCH_RUNS:-5}
peers=${BREVANT_BENCH_PEERS:-xlsxwriter}
other=${BREVANT_BENCH_OTHER:-}
work=${BREVANT_BENCH_WORK:-/tmp/brevant-bench-report}
mkdir -p "$work"

bench/support/build_release.sh "$build" brevant bench_report_xlsxwriter
brevant=$root/$build/brevant
baseline=$root/$build/bench/report/bench_report_xlsxwriter

db=$work/facts-$rows.db
"$root/bench/support/make_facts_db.sh" sqlite "$db" "$rows"

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
# The commands, by name.
declare -A cmd
cmd[brevant]="$brevant $work/report.kvd -C"
[[ -n "$other" ]] && cmd[other]="$other $work/report.kvd -C"
for p in $peers; do
  case $p in
  xlsxwriter) cmd[xlsxwriter]="$baseline $db $work/baseline.xlsx '$query'" ;;
  libreoffice)
    cmd[libreoffice]="/usr/bin/python3 $root/bench/report/libreoffice_fill.py $db \
      $work/template.xlsx $work/libreoffice.xlsx '$query' $work/lo-profile"
    # The first start makes LibreOffice's profile: not part of the fill.
    [[ -d "$work/lo-profile" ]] || eval "${cmd[libreoffice]}" >/dev/null 2>&1 || true
    ;;
  *) echo "unknown peer $p" >&2; exit 2 ;;
  esac
done
names="brevant ${other:+other} $peers"

# Each round runs every program once; the times are "wall-seconds peak-KiB cpu-seconds" lines
# per program (cpu: user and system time of the process and its children).
for name in $names; do : >"$work/times-$name.txt"; done
for _ in $(seq "$runs"); do
  for name in $names; do
    /usr/bin/time -o "$work/time.txt" -f "%e %M %U %S" bash -c "${cmd[$name]}" >/dev/null 2>&1
    tail -1 "$work/time.txt" | awk '{ print $1, $2, $3 + $4 }' >>"$work/times-$name.txt"
    if [[ $name == brevant || $name == other ]]; then
      grep -q "Success." "$work/report.log" || { cat "$work/report.log"; exit 1; }
      mv "$work/report.xlsx" "$work/report-$name.xlsx"
    fi
  done
done
median() { sort -n -k"$2" "$1" | awk -v k="$2" '{ v[NR] = $k } END { print v[int((NR + 1) / 2)] }'; }
seconds() { median "$work/times-$1.txt" 1; }
cpu() { median "$work/times-$1.txt" 3; }
mib() { echo $(($(median "$work/times-$1.txt" 2) / 1024)); }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "records:        $rows x 10 fields, median of $runs interleaved runs"
echo "load average:   $(cut -d' ' -f1-3 /proc/loadavg) (after the runs)"
for name in $names; do
  printf "%-15s %ss, peak %s MiB, cpu %ss\n" "$name:" "$(seconds "$name")" "$(mib "$name")" \
    "$(cpu "$name")"
done
for name in brevant ${other:+other}; do
  for p in $peers; do
    echo "$name / $p: $(ratio "$(seconds "$name")" "$(seconds "$p")") wall," \
      "$(ratio "$(cpu "$name")" "$(cpu "$p")") cpu"
  done
done
for name in $names; do
  file=$work/report-$name.xlsx
  [[ $name == xlsxwriter ]] && file=$work/baseline.xlsx
  [[ $name == libreoffice ]] && file=$work/libreoffice.xlsx
  printf "%-15s %s bytes\n" "$name file:" "$(stat -c %s "$file")"
done
