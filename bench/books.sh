#!/usr/bin/env bash
# bench/books.sh [--records N]: filling the Code and Type markers of the
# generated records (default 1,000,000; 40 codes) with their texts from a
# codetype.dat of 40 lines, through zvonar-cli fill-codes, next to SQLite
# doing the same UPDATE with a join on the same rows. Prints "name value
# unit" and "name_vs_sqlite ratio" lines, and the fill's peak memory.
# Run through bench/run.sh, which sets ZVONAR_BENCH_BIN.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
records=$(records_option books "$@")
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}

require_sqlite
make_workdir

load_generated "$records"

: >"$work/codetype.tsv"
for i in $(seq 0 39); do
  printf '%s=Service %s\r\n' "$i" "$i" >>"$work/table/codetype.dat"
  printf '%s\tService %s\n' "$i" "$i" >>"$work/codetype.tsv"
done

start=$(now)
if command -v /usr/bin/time >/dev/null; then
  /usr/bin/time -f '%M' -o "$work/rss" "$bin/cli/zvonar-cli" --dir "$work/table" fill-codes >/dev/null
  echo "fill_codes_peak_memory $(awk '{ printf "%.1f", $1 / 1024 }' "$work/rss") MB"
else
  "$bin/cli/zvonar-cli" --dir "$work/table" fill-codes >/dev/null
fi
ours=$(elapsed "$start" "$(now)")
echo "fill_codes $ours s"

theirs=$(sqlite3 "$work/bills.db" <<SQL | sqlite_time
CREATE TABLE codetype(marker TEXT PRIMARY KEY, indication TEXT);
.mode tabs
.import $work/codetype.tsv codetype
.timer on
UPDATE detal SET
  code = coalesce((SELECT indication FROM codetype WHERE marker = detal.code), code),
  type = coalesce((SELECT indication FROM codetype WHERE marker = detal.type), type);
SQL
)
echo "sqlite_fill_codes $theirs s"
echo "fill_codes_vs_sqlite $(ratio "$ours" "$theirs") ratio"
