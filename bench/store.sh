#!/usr/bin/env bash
# bench/store.sh [--records N]: the detalization table against SQLite on the
# same generated bills (default 1,000,000 records, 50 owners, two years).
# Both load the same lines, then read everything, one owner's block and one
# month; each figure is printed as "name value unit", and each pair as
# "name_vs_sqlite ratio" (below 1: the table is faster or smaller).
# Run through bench/run.sh, which sets ZVONAR_BENCH_BIN.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
records=$(records_option store "$@")
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}
cli=$bin/cli/zvonar-cli
bench=$bin/store/store_bench
owner=25
month=2024.03

require_sqlite
make_workdir

"$bench" gen "$records" "$work/bills.tsv"
echo "records $records records"

mkdir -p "$work/table"
start=$(now)
"$cli" --dir "$work/table" load-tsv "$work/bills.tsv"
load=$(elapsed "$start" "$(now)")
echo "load $load s"

fields="owner, datetime, number, abonent, code, type, sec, min, cost, mtp, \"all\", roaming"
lengths="sum(length(owner) + length(datetime) + length(number) + length(abonent) + length(code) + length(type) + \
length(sec) + length(min) + length(cost) + length(mtp) + length(\"all\") + length(roaming))"
start=$(now)
sqlite_load "$work/bills.db" "$work/bills.tsv"
sqlite_load=$(elapsed "$start" "$(now)")
echo "sqlite_load $sqlite_load s"
echo "load_vs_sqlite $(ratio "$load" "$sqlite_load") ratio"
# The reads below time a settled machine: the loads' dirty pages go to the
# disk now, not in the middle of one of them.
sync

"$bench" open "$work/table/"

owner_number=$(awk -v o="$owner" 'BEGIN { printf "7916%d", 1000000 + o * 7919 }')  # as store_bench gen numbers them
db=$work/bills.db
run_pair scan "$db" "$bench" scan "$work/table/" -- "SELECT count(*), $lengths FROM detal;"
run_pair owner "$db" "$bench" owner "$work/table/" "$owner" -- "SELECT count(*), $lengths FROM detal WHERE owner = '$owner_number';"
run_pair month "$db" "$bench" month "$work/table/" "$month" -- \
  "SELECT count(*), $lengths FROM detal WHERE datetime >= '$month' AND datetime < '$month.99';"

mb() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", b / 1048576 }'; }
dbf=$(mb "$work/table/Tellura.dbf")
mdx=$(mb "$work/table/Tellura.MDX")
db=$(mb "$work/bills.db")
echo "table_size $dbf MB"
echo "index_size $mdx MB"
echo "sqlite_size $db MB"
echo "size_vs_sqlite $(ratio "$(awk -v a="$dbf" -v b="$mdx" 'BEGIN { print a + b }')" "$db") ratio"
