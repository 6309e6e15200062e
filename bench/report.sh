#!/usr/bin/env bash
# bench/report.sh [--records N]: the printed report of every generated record
# (default 100,000 records, 1,755 pages) laid out and written to PDF by
# zvonar-cli report, with the statistic after the list. Prints the time (wall
# and processor), the peak memory, the page count and the file's size.
# Run through bench/run.sh, which sets ZVONAR_BENCH_BIN.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
[ $# -eq 0 ] && set -- --records 100000
records=$(records_option report "$@")
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}

make_workdir
"$bin/store/store_bench" gen "$records" "$work/bills.tsv"
echo "records $records records"
mkdir -p "$work/table"
"$bin/cli/zvonar-cli" --dir "$work/table" load-tsv "$work/bills.tsv" >/dev/null

cli=("$bin/cli/zvonar-cli" --dir "$work/table" report --pdf "$work/report.pdf")
start=$(now)
if command -v /usr/bin/time >/dev/null; then
  /usr/bin/time -f '%M %U %S' -o "$work/rss" "${cli[@]}" >"$work/out"
  echo "report_pdf $(elapsed "$start" "$(now)") s"
  # Processor time too: on a busy machine the wall time says little.
  echo "report_pdf_cpu $(awk '{ printf "%.2f", $2 + $3 }' "$work/rss") s"
  echo "report_pdf_peak_memory $(awk '{ printf "%.1f", $1 / 1024 }' "$work/rss") MB"
else
  "${cli[@]}" >"$work/out"
  echo "report_pdf $(elapsed "$start" "$(now)") s"
fi
echo "report_pages $(awk '{ print $1 }' "$work/out") pages"
echo "report_pdf_size $(du -m "$work/report.pdf" | awk '{ print $1 }') MB"
