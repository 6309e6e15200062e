#!/usr/bin/env bash
# bench/import.sh [--lines N]: zvonar-cli import of a generated text bill of
# N call lines (default 1,000,000) with a 10,000-entry abonents book and
# names filled, against SQLite's .import of the same records from a TSV into
# a table with the same two indexes. Prints "name value unit" lines; the
# ratios below 1 mean the import is faster, or uses less than three bills'
# worth of memory. Run through bench/run.sh, which sets ZVONAR_BENCH_BIN.
set -euo pipefail
lines=1000000
book=10000
while [ $# -gt 0 ]; do
  case $1 in
    --lines) lines=$2; shift 2 ;;
    *) echo "usage: bench/run.sh import [--lines N]" >&2; exit 2 ;;
  esac
done
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}
cli=$bin/cli/zvonar-cli
gen=$bin/import/bill_gen
[ -x /usr/bin/time ] || { echo "/usr/bin/time is not installed (Debian package time)" >&2; exit 1; }

. "$(dirname "$0")/lib.sh"
require_sqlite
make_workdir

mkdir "$work/data"
"$gen" "$lines" "$work/bill.txt" "$work/data/abonents.dat" "$book" --seed 7
printf '[Settings]\r\nFillAbonNamesOnAddDetalization=1\r\nmodePhoneCode=1\r\n' >"$work/data/settings.ini"
bill_bytes=$(stat -c %s "$work/bill.txt")
echo "bill_lines $(wc -l <"$work/bill.txt") lines"
echo "bill_size $(awk -v b="$bill_bytes" 'BEGIN { printf "%.1f", b / 1048576 }') MB"
echo "book_entries $book entries"

# Each side is timed with no other file's dirty pages waiting for the disk:
# its own flushes would wait behind them.
sync
start=$(now)
/usr/bin/time -f "%M" -o "$work/rss" "$cli" --dir "$work/data" import "$work/bill.txt" >"$work/out" 2>"$work/err" ||
  { cat "$work/err" >&2; exit 1; }
import=$(elapsed "$start" "$(now)")
records=$(awk '{ print $(NF - 2) }' "$work/out")
peak_kb=$(tail -1 "$work/rss")
echo "records $records records"
echo "import $import s"
echo "peak_memory $(awk -v k="$peak_kb" 'BEGIN { printf "%.1f", k / 1024 }') MB"
echo "memory_vs_3x_bill $(ratio "$((peak_kb * 1024))" "$((bill_bytes * 3))") ratio"

"$cli" --dir "$work/data" dump >"$work/records.tsv"
sync
start=$(now)
sqlite_load "$work/bills.db" "$work/records.tsv"
sqlite_import=$(elapsed "$start" "$(now)")
echo "sqlite_import $sqlite_import s"
echo "sqlite_records $(sqlite3 "$work/bills.db" 'SELECT count(*) FROM detal;') records"
echo "import_vs_sqlite $(ratio "$import" "$sqlite_import") ratio"
