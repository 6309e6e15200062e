#!/usr/bin/env bash
# bench/journal.sh [--records N]: what a long history costs the next import.
# A table of N generated records (default 1,000,000) is loaded; a 24-record
# bill is then appended with load-tsv over a journal holding that one load,
# and another over a journal that also holds 100 made-up imports of
# 1,000,000 records each: their lines, and the side files of their hashes at
# their real size (sparse, so they cost no disk). The settings keep every
# one of them. Prints "journal_1_import_next_import s",
# "journal_100_imports_next_import s", their ratio and the journal's size.
# Run through bench/run.sh, which sets ZVONAR_BENCH_BIN.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
records=$(records_option journal "$@")
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}

make_workdir
"$bin/store/store_bench" gen "$((records + 48))" "$work/all.tsv"
head -n "$records" "$work/all.tsv" >"$work/bills.tsv"
tail -n 48 "$work/all.tsv" | head -n 24 >"$work/next1.tsv"
tail -n 24 "$work/all.tsv" >"$work/next2.tsv"
mkdir -p "$work/table"
printf '[Settings]\r\nHistoryChanges=1000\r\nHistoryMegabytes=100000\r\n' >"$work/table/settings.ini"
"$bin/cli/zvonar-cli" --dir "$work/table" load-tsv "$work/bills.tsv" >/dev/null
echo "records $records records"

# timed_load NAME TSV: appends TSV with load-tsv and prints its seconds.
timed_load() {
  local start
  start=$(now)
  "$bin/cli/zvonar-cli" --dir "$work/table" load-tsv "$2" >/dev/null
  echo "$1 $(elapsed "$start" "$(now)") s"
}

timed_load journal_1_import_next_import "$work/next1.tsv" | tee "$work/one"

# 100 imports of 1,000,000 records each, as the journal and the history
# folder keep them, older than the loads above.
count=1000000
mkdir -p "$work/table/history"
{
  for i in $(seq 1 100); do
    name=$(printf '%010x-1-%d.sums' 1700000000 "$i")
    # The side file: its head (magic, the count little-endian), then room
    # for a hash per record.
    printf 'ZVSUM1\r\n\x40\x42\x0f\x00' >"$work/table/history/$name"
    truncate -s $((12 + 4 * count)) "$work/table/history/$name"
    first=$(((i - 1) * count + 1))
    printf '2024.01.01 10:00:00\t%016x@7c0101\t%d\t%d\t%d\t=%08x%08x:%s\tbill%03d.txt\r\n' \
      "$i" "$first" $((first + count - 1)) "$count" "$i" "$i" "$name" "$i"
  done
  cat "$work/table/imports.dat"
} >"$work/journal"
mv "$work/journal" "$work/table/imports.dat"
echo "journal_size $(($(stat -c %s "$work/table/imports.dat") / 1024)) KB"

timed_load journal_100_imports_next_import "$work/next2.tsv" | tee "$work/hundred"
echo "journal_100_vs_1 $(ratio "$(figure journal_100_imports_next_import <"$work/hundred")" \
  "$(figure journal_1_import_next_import <"$work/one")") ratio"
