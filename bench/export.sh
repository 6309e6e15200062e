#!/usr/bin/env bash
# bench/export.sh [--rows N]: the result-list exports over generated rows
# (default 200,000): the spreadsheet (.xlsx) and the CSV file, then the
# spreadsheet read back by openpyxl (Debian's python3-openpyxl), which
# checks every row's kinds of cells, the statistic's formulas and the
# criteria sheet. Prints "name value unit" lines; the spreadsheet's target
# is xlsx_200k_rows within 3 s.
# Run through bench/run.sh, which sets ZVONAR_BENCH_BIN.
set -euo pipefail
here=$(dirname "$0")
. "$here/lib.sh"
rows=200000
if [ "${1:-}" = --rows ]; then
  rows=${2:?--rows needs a number}
fi
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}
/usr/bin/python3 -c 'import openpyxl' 2>/dev/null ||
  { echo "python3-openpyxl is not installed (scripts/install-deps.sh)" >&2; exit 1; }
make_workdir

figures=$("$bin/analysis/export_bench" "$rows" "$work/")
echo "$figures"
name=xlsx_$((rows / 1000))k_rows
echo "${name}_vs_3s $(ratio "$(echo "$figures" | figure "$name")" 3) ratio"
start=$(now)
/usr/bin/python3 "$here/xlsx_check.py" "$work/rows.xlsx" "$rows"
echo "xlsx_readback_openpyxl $(elapsed "$start" "$(now)") s"
