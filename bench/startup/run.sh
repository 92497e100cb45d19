#!/usr/bin/env bash
# How long a start takes: the median wall time of 20 runs of the bundled example report in batch
# (`brevant examples/monthly.kvd -C 2024 05`) and of `brevant -h`, in milliseconds.
#   bench/startup/run.sh [program] [runs]    (default build/brevant, 20 runs)
# The example's database is made from examples/sales.sql when it is missing, as scripts/demo
# does. Each run's output goes to /dev/null; one unclean run fails the script.
set -euo pipefail
cd "$(dirname "$0")/../.."
program=$(realpath "${1:-build/brevant}")
runs=${2:-20}
[[ -f examples/sales.db ]] || sqlite3 examples/sales.db <examples/sales.sql

# Prints the median of `runs` timed runs of the command, in milliseconds with one decimal.
median_ms() {
  local times=() start end i
  "$@" >/dev/null 2>&1 # warms the page cache
  for ((i = 0; i < runs; i++)); do
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1 || {
      echo "run.sh: $* failed" >&2
      return 1
    }
    end=$EPOCHREALTIME
    times+=("$(((${end/./} - ${start/./})))")
  done
  printf '%s\n' "${times[@]}" | sort -n |
    awk '{ t[NR] = $1 } END { m = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2;
                               printf "%.1f\n", m / 1000 }'
}

echo "program: $program ($(ldd "$program" | grep -c .) shared libraries)"
echo "example report (-C 2024 05): $(median_ms "$program" examples/monthly.kvd -C 2024 05) ms"
echo "help (-h):                   $(median_ms "$program" -h) ms"
