#!/usr/bin/env bash
# bench/scale.sh [--sizes N,N,...] [--grow]: the commands a person types, each
# timed as a whole process, over tables of N records (default 100,000,
# 1,000,000 and 10,000,000) made by load-tsv, beside SQLite on the same rows
# with an index on (owner, datetime) and one on datetime. Per size: open and
# print one record, filter and stat of one owner (a fiftieth of the table),
# appending a 24-record bill by import and 24 rows by load-tsv (each run on
# the table as it was made, so it appends to N records), the sizes of imports.dat and
# Tellura.MDX; with --grow also load-tsv of 1,000,000 records into the table.
# Best of five runs; "name value unit" lines with "ok" or "OVER" beside the
# figures that have a target, then a table of everything.
#
# The generated rows, tables and SQLite files stay in $ZVONAR_BENCH_DATA
# (default /tmp/zvonar-scale), one folder per size, and are reused by the next
# run; a 10,000,000 set takes about 5 GB. Remove the folder to make them anew.
# Run through bench/run.sh, which sets ZVONAR_BENCH_BIN.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}
cli=$bin/cli/zvonar-cli
sizes=100000,1000000,10000000
grow=0
while [ $# -gt 0 ]; do
  case $1 in
    --sizes) sizes=${2:-}; shift 2 ;;
    --grow) grow=1; shift ;;
    *) echo "usage: bench/run.sh scale [--sizes N,N,...] [--grow]" >&2; exit 2 ;;
  esac
done
[[ $sizes =~ ^[0-9]+(,[0-9]+)*$ ]] || { echo "usage: bench/run.sh scale [--sizes N,N,...] [--grow]" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is not installed (Debian package time)" >&2; exit 1; }
require_sqlite
make_workdir
data=${ZVONAR_BENCH_DATA:-${TMPDIR:-/tmp}/zvonar-scale}
mkdir -p "$data"

owner=79161197975        # owner 25 of store_bench gen: a fiftieth of the rows
open_limit=0.050         # seconds to open the table and print one record
append_limit=0.100       # seconds to append 24 records
memory_limit=65536       # KB of peak memory for each command
runs=5

fields="owner, datetime, number, abonent, code, type, sec, min, cost, mtp, \"all\", roaming"

# sqlite_make DB TSV: the rows of TSV into table detal of DB, then the two
# indexes the comparison asks for.
sqlite_make() {
  sqlite3 "$1" <<SQL
CREATE TABLE detal(owner TEXT, datetime TEXT, number TEXT, abonent TEXT, code TEXT, type TEXT,
                   sec TEXT, min TEXT, cost TEXT, mtp TEXT, "all" TEXT, roaming TEXT);
.mode tabs
.import $2 detal
CREATE INDEX detal_owner_datetime ON detal(owner, datetime);
CREATE INDEX detal_datetime ON detal(datetime);
SQL
}

# prepare N: the rows, the table and the SQLite file of size N in $data/N,
# made when missing; each is marked done only when complete, so a set cut
# short is made again.
prepare() {
  local n=$1 dir=$data/$1
  mkdir -p "$dir"
  if [ ! -f "$dir/rows.done" ]; then
    echo "# making $n rows in $dir/rows.tsv" >&2
    "$bin/store/store_bench" gen "$n" "$dir/rows.tsv"
    touch "$dir/rows.done"
  fi
  if [ ! -f "$dir/table.done" ]; then
    echo "# loading them into $dir/table" >&2
    rm -rf "$dir/table"
    mkdir "$dir/table"
    "$cli" --dir "$dir/table" load-tsv "$dir/rows.tsv" >/dev/null
    touch "$dir/table.done"
  fi
  if [ ! -f "$dir/sqlite.done" ]; then
    echo "# loading them into $dir/bills.db" >&2
    rm -f "$dir/bills.db"
    sqlite_make "$dir/bills.db" "$dir/rows.tsv"
    touch "$dir/sqlite.done"
  fi
}

# The small appends: a bill of 24 records (22 calls and the two charge lines
# of one phone) and 24 rows in the form load-tsv reads, with the same rows as
# SQL in one transaction.
"$bin/import/bill_gen" 22 "$work/bill.txt" --phones 1 --seed 5
gen_records 1 24 >"$work/rows24.tsv"
{
  echo "BEGIN;"
  awk -F'\t' '{ printf "INSERT INTO detal VALUES("; for (i = 1; i <= 12; i++) printf "%s\x27%s\x27", (i > 1 ? "," : ""), $i; print ");" }' \
    "$work/rows24.tsv"
  echo "COMMIT;"
} >"$work/insert24.sql"

# best NAME RESET COMMAND: runs COMMAND (a shell text) $runs times, RESET
# before each (untimed, may be ":"). COMMAND runs the measured process under
# `timed`, which leaves its peak memory in $work/time; the time is taken here
# to the microsecond, around the whole COMMAND. Sets best_s to the least
# elapsed seconds and best_kb to the largest peak.
best() {
  local name=$1 reset=$2 command=$3 i line start s
  best_s= best_kb=0
  for ((i = 0; i < runs; i++)); do
    eval "$reset"
    rm -f "$work/time"
    start=$EPOCHREALTIME
    eval "$command" || true
    s=$(elapsed "$start" "$EPOCHREALTIME")
    # A command cut by a closed pipe (dump | head -1) is noted first; the
    # figure is on the last line.
    line=$(tail -1 "$work/time" 2>/dev/null || true)
    if ! [[ $line =~ ^[0-9]+$ ]] || grep -q "exited with non-zero" "$work/time"; then
      echo "$name failed: $(head -1 "$work/err" 2>/dev/null)" >&2
      best_s=failed best_kb=0
      return 0
    fi
    if [ -z "$best_s" ] || [ "$(mark "$s" "$best_s")" = ok ]; then best_s=$s; fi
    if [ "$line" -gt "$best_kb" ]; then best_kb=$line; fi
  done
}

timed() { /usr/bin/time -f "%M" -o "$work/time" "$@"; }

# Marks of the targets: within LIMIT (seconds or KB) or not.
mark() { awk -v v="$1" -v l="$2" 'BEGIN { print (v != "failed" && v + 0 <= l + 0 ? "ok" : "OVER") }'; }
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
file_mb() { if [ -f "$1" ]; then awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", b / 1048576 }'; else echo 0; fi; }

declare -A cell
# figure NAME N VALUE UNIT [MARK]: prints the line and keeps the cell for the table.
figure_line() {
  echo "${1}_$2 $3 $4${5:+ $5}"
  cell[$1,$2]="$3${5:+ $5}"
}

# measure NAME N RESET ZVONAR_COMMAND SQLITE_RESET SQLITE_COMMAND LIMIT: both
# sides, best of $runs; the program's time against LIMIT (seconds, or "sqlite" for
# SQLite's time, or "both"), its memory against the memory target.
measure() {
  local name=$1 n=$2 reset=$3 ours=$4 theirs_reset=$5 theirs=$6 limit=$7 ours_s ours_kb theirs_s theirs_kb m
  best "$name" "$reset" "$ours"
  ours_s=$best_s ours_kb=$best_kb
  best "sqlite_$name" "$theirs_reset" "$theirs"
  theirs_s=$best_s theirs_kb=$best_kb
  case $limit in
    sqlite) m=$(mark "$ours_s" "$theirs_s") ;;
    both) m=$(mark "$ours_s" "$append_limit")
          [ "$(mark "$ours_s" "$theirs_s")" = ok ] || m=OVER ;;
    *) m=$(mark "$ours_s" "$limit") ;;
  esac
  figure_line "$name" "$n" "$ours_s" s "$m"
  figure_line "${name}_peak" "$n" "$(mb "$ours_kb")" MB "$(mark "$ours_kb" "$memory_limit")"
  figure_line "sqlite_$name" "$n" "$theirs_s" s
  figure_line "sqlite_${name}_peak" "$n" "$(mb "$theirs_kb")" MB
}

# restore: the table of size $n in $work/copy as it was made, on the disk
# before the run (the copy's own writes are not the append's to flush). The
# first time a copy; after an append, `undo`, which cuts the appended records
# off the table and takes their keys out of the index, whose emptied nodes
# wait on its free chain for the next append (copying 2 GB before each run at
# 10,000,000 records would take longer than the measurements). A copy whose
# table or journal then differs in size from the set's is made anew.
restore() {
  local f same=1
  if [ "$(cat "$work/copy.size" 2>/dev/null)" = "$n" ]; then
    "$cli" --dir "$work/copy" undo >/dev/null 2>&1 || same=0
    for f in Tellura.dbf imports.dat; do
      [ "$(stat -c %s "$work/copy/$f" 2>/dev/null)" = "$(stat -c %s "$data/$n/table/$f")" ] || same=0
    done
    if [ "$same" = 1 ]; then
      sync "$work/copy"/*
      return
    fi
  fi
  rm -rf "$work/copy" "$work/copy.size"
  cp -a --reflink=auto "$data/$n/table" "$work/copy"
  find "$work/copy" -type f -exec sync {} +
  echo "$n" >"$work/copy.size"
}

for n in ${sizes//,/ }; do
  prepare "$n"
  table=$data/$n/table db=$data/$n/bills.db
  echo "# $n records: $data/$n" >&2
  echo "records_$n $n records"

  measure open "$n" ":" \
    'timed "$cli" --dir "$table" dump 2>"$work/err" | head -1 >/dev/null' : \
    'timed sqlite3 "$db" "SELECT $fields FROM detal LIMIT 1;" >/dev/null 2>"$work/err"' "$open_limit"
  measure filter "$n" ":" \
    'timed "$cli" --dir "$table" filter --owner "$owner" >"$work/ours.out" 2>"$work/err"' : \
    'timed sqlite3 -tabs "$db" "SELECT $fields FROM detal WHERE owner = '\''$owner'\'';" >"$work/theirs.out" 2>"$work/err"' \
    sqlite
  rows=$(wc -l <"$work/ours.out")
  [ "$rows" -eq "$(wc -l <"$work/theirs.out")" ] || echo "filter found $rows rows, SQLite $(wc -l <"$work/theirs.out")" >&2
  figure_line filter_rows "$n" "$rows" rows
  measure stat "$n" ":" \
    'timed "$cli" --dir "$table" stat --owner "$owner" >/dev/null 2>"$work/err"' : \
    'timed sqlite3 "$db" "SELECT type, count(*), sum(sec), sum(min), sum(cost) FROM detal WHERE owner = '\''$owner'\'' GROUP BY type;" >/dev/null 2>"$work/err"' \
    sqlite
  # SQLite's appended rows are taken out again before each run, untimed.
  unappend='sqlite3 "$db" "DELETE FROM detal WHERE rowid > $n;"'
  insert='timed sqlite3 "$db" <"$work/insert24.sql" >/dev/null 2>"$work/err"'
  measure import "$n" restore \
    'timed "$cli" --dir "$work/copy" import "$work/bill.txt" >/dev/null 2>"$work/err"' "$unappend" "$insert" both
  measure load24 "$n" restore \
    'timed "$cli" --dir "$work/copy" load-tsv "$work/rows24.tsv" >/dev/null 2>"$work/err"' "$unappend" "$insert" both
  eval "$unappend"

  if [ "$grow" = 1 ]; then
    [ -f "$data/grow.done" ] || { "$bin/store/store_bench" gen 1000000 "$data/grow.tsv" && touch "$data/grow.done"; }
    runs=1 best grow restore 'timed "$cli" --dir "$work/copy" load-tsv "$data/grow.tsv" >/dev/null 2>"$work/err"'
    figure_line grow "$n" "$best_s" s
    figure_line grow_peak "$n" "$(mb "$best_kb")" MB
  fi

  figure_line dbf_size "$n" "$(file_mb "$table/Tellura.dbf")" MB
  figure_line mdx_size "$n" "$(file_mb "$table/Tellura.MDX")" MB
  figure_line journal_size "$n" "$(file_mb "$table/imports.dat")" MB
  figure_line sqlite_size "$n" "$(file_mb "$db")" MB
  rm -rf "$work/copy" "$work/copy.size"
done

# The table: one row per figure, one column per size, the program's figure
# and SQLite's side by side.
echo
printf '%-34s' "work (target)"
for n in ${sizes//,/ }; do printf ' | %-26s' "$n records"; done
echo
row() {  # CAPTION NAME [SQLITE_NAME]
  local caption=$1 name=$2 other=${3:-} n text
  printf '%-34s' "$caption"
  for n in ${sizes//,/ }; do
    text=${cell[$name,$n]:-}
    [ -n "$other" ] && text="$text / ${cell[$other,$n]:-}"
    printf ' | %-26s' "$text"
  done
  echo
}
echo "                                     (Zvonar / SQLite; s, MB)"
row "open, one record (<= 0.05 s)" open sqlite_open
row "  peak memory (< 64 MB)" open_peak sqlite_open_peak
row "filter --owner (<= SQLite)" filter sqlite_filter
row "  peak memory" filter_peak sqlite_filter_peak
row "  rows found" filter_rows
row "stat --owner (<= SQLite)" stat sqlite_stat
row "  peak memory" stat_peak sqlite_stat_peak
row "import 24 (<= 0.1 s, <= SQLite)" import sqlite_import
row "  peak memory" import_peak sqlite_import_peak
row "load-tsv 24 (<= 0.1 s, <= SQLite)" load24 sqlite_load24
row "  peak memory" load24_peak sqlite_load24_peak
[ "$grow" = 1 ] && row "load-tsv 1,000,000" grow && row "  peak memory" grow_peak
row "Tellura.dbf" dbf_size
row "Tellura.MDX" mdx_size
row "imports.dat" journal_size
row "SQLite file" sqlite_size
echo
echo "The generated sets stay in $data (remove it to make them anew)."
