#!/usr/bin/env bash
# bench/books.sh [--records N]: over the generated records (default
# 1,000,000), filling the Abonent names from a book of 10,000 numbers
# through zvonar-cli fill-names, and the Code and Type markers (40 codes)
# with their texts from a codetype.dat of 40 lines through fill-codes, each
# next to SQLite doing the same UPDATE with a join on the same rows. Prints
# "name value unit" and "name_vs_sqlite ratio" lines, and each fill's peak
# memory.
# Run through bench/run.sh, which sets ZVONAR_BENCH_BIN.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
records=$(records_option books "$@")
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}

require_sqlite
make_workdir

load_generated "$records"

# timed_cli NAME ARGS...: runs zvonar-cli ARGS over the table, printing the
# peak memory, and sets $ours to its seconds.
timed_cli() {
  local name=$1 start
  shift
  # What earlier steps (SQLite's updates above all) left to write back is
  # written first, so that it does not land in this command's time.
  sync
  start=$(now)
  if command -v /usr/bin/time >/dev/null; then
    /usr/bin/time -f '%M' -o "$work/rss" "$bin/cli/zvonar-cli" --dir "$work/table" "$@" >/dev/null
    echo "${name}_peak_memory $(awk '{ printf "%.1f", $1 / 1024 }' "$work/rss") MB"
  else
    "$bin/cli/zvonar-cli" --dir "$work/table" "$@" >/dev/null
  fi
  ours=$(elapsed "$start" "$(now)")
  echo "$name $ours s"
}

# The book: every 50th record's number, up to 10,000 of them.
awk -F'\t' 'NR % 50 == 0 && n < 10000 && !seen[$3]++ { n++; print $3 "\tName " n }' "$work/bills.tsv" \
  >"$work/book.tsv"
{ printf '[Abonents]\r\n'; awk -F'\t' '{ printf "%s=%s\r\n", $1, $2 }' "$work/book.tsv"; } \
  >"$work/table/abonents.dat"
echo "book_entries $(wc -l <"$work/book.tsv") entries"

# sqlite_join_update NAME TABLE TSV SET: loads TSV (key, text) into a new
# SQLite table TABLE(k, v), times "UPDATE detal SET SET" and prints SQLite's
# time and the ratio of $ours to it.
sqlite_join_update() {
  local theirs
  theirs=$(sqlite3 "$work/bills.db" <<SQL | sqlite_time
CREATE TABLE $2(k TEXT PRIMARY KEY, v TEXT);
.mode tabs
.import $3 $2
.timer on
UPDATE detal SET $4;
SQL
)
  echo "sqlite_$1 $theirs s"
  echo "${1}_vs_sqlite $(ratio "$ours" "$theirs") ratio"
}

timed_cli fill_names fill-names
sqlite_join_update fill_names book "$work/book.tsv" \
  "abonent = coalesce((SELECT v FROM book WHERE k = detal.number), abonent)"

: >"$work/codetype.tsv"
for i in $(seq 0 39); do
  printf '%s=Service %s\r\n' "$i" "$i" >>"$work/table/codetype.dat"
  printf '%s\tService %s\n' "$i" "$i" >>"$work/codetype.tsv"
done

timed_cli fill_codes fill-codes
sqlite_join_update fill_codes codetype "$work/codetype.tsv" \
  "code = coalesce((SELECT v FROM codetype WHERE k = detal.code), code),
   type = coalesce((SELECT v FROM codetype WHERE k = detal.type), type)"

# The history: the fill above kept the before-images of every record it
# changed. Undo puts them back; the same fill without before-images
# (HistoryChanges=0) shows what keeping them costs.
fill_with=$ours
echo "history_images $(du -ck "$work/table/history"/*.bef | awk 'END { printf "%.1f", $1 / 1024 }') MB"
echo "history_load_hashes $(du -ck "$work/table/history"/*.sums | awk 'END { printf "%.1f", $1 / 1024 }') MB"
timed_cli undo_fill_codes undo
echo "undo_vs_fill $(ratio "$ours" "$fill_with") ratio"
printf '[Settings]\r\nHistoryChanges=0\r\n' >"$work/table/settings.ini"
timed_cli fill_codes_without_history fill-codes
echo "history_cost $(ratio "$fill_with" "$ours") ratio"
