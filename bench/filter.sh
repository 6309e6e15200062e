#!/usr/bin/env bash
# bench/filter.sh [--records N]: the filter against SQLite on the same
# generated records (default 1,000,000, 50 owners, two years): nothing ticked
# but Null, one owner, one month by date, a number tail, Calls with Exclude,
# the statistic over the full result and the counts over the table. Prints
# "name value unit" and "name_vs_sqlite ratio" lines.
# Run through bench/run.sh, which sets ZVONAR_BENCH_BIN.
set -euo pipefail
records=1000000
while [ $# -gt 0 ]; do
  case $1 in
    --records) records=$2; shift 2 ;;
    *) echo "usage: bench/run.sh filter [--records N]" >&2; exit 2 ;;
  esac
done
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}
work=$(mktemp -d "${TMPDIR:-/tmp}/zvonar-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/lib.sh"

"$bin/store/store_bench" gen "$records" "$work/bills.tsv"
echo "records $records records"
mkdir -p "$work/table"
"$bin/cli/zvonar-cli" --dir "$work/table" load-tsv "$work/bills.tsv"
sqlite3 "$work/bills.db" <<SQL
CREATE TABLE detal(owner TEXT, datetime TEXT, number TEXT, abonent TEXT, code TEXT, type TEXT,
                   sec TEXT, min TEXT, cost TEXT, mtp TEXT, "all" TEXT, roaming TEXT);
CREATE INDEX detal_owner ON detal(owner);
CREATE INDEX detal_datetime ON detal(datetime);
.mode tabs
.import $work/bills.tsv detal
SQL

all="owner, datetime, number, abonent, code, type, sec, min, cost, mtp, \"all\", roaming"
rows="SELECT count(*), sum(length(owner || datetime || number || abonent || code || type || sec || min || cost || mtp || \"all\" || roaming))"
owner=79161197975   # owner 25 of the generator
run_pair() {  # name, filter_bench arguments..., then the SQL after "--"
  local name=$1; shift
  local args=()
  while [ "$1" != "--" ]; do args+=("$1"); shift; done
  shift
  local ours theirs
  ours=$("$bin/analysis/filter_bench" "$work/table/" "${args[@]}")
  echo "$ours"
  theirs=$(printf '.timer on\n%s\n' "$1" | sqlite3 "$work/bills.db" | sqlite_time)
  echo "sqlite_$name $theirs s"
  echo "${name}_vs_sqlite $(ratio "$(echo "$ours" | figure "$name")" "$theirs") ratio"
}
run_pair all all -- "$rows FROM (SELECT $all FROM detal ORDER BY owner);"
run_pair owner owner "$owner" -- "$rows FROM detal WHERE owner = '$owner';"
run_pair month month 2024 3 -- "$rows FROM detal WHERE datetime >= '2024.03.01' AND datetime < '2024.03.31 99';"
run_pair number number 4567 -- "$rows FROM detal WHERE number LIKE '%4567';"
run_pair calls_exclude calls_exclude -- \
  "$rows FROM detal WHERE NOT (type IN ('1','2','G','m','M') AND (code = '' OR code IN ('1','2','G','m','M')));"
run_pair stat stat -- "SELECT type, sum(sec), sum(min), sum(cost) FROM detal GROUP BY type;"
run_pair counts counts -- "SELECT sum(sec), sum(min), sum(cost), sum(mtp), sum(\"all\") FROM detal;
SELECT number, count(*) AS n FROM detal WHERE number <> '' GROUP BY lower(number) ORDER BY n DESC LIMIT 1;
SELECT code, count(*) AS n FROM detal WHERE code <> '' GROUP BY lower(code) ORDER BY n DESC LIMIT 1;
SELECT type, count(*) AS n FROM detal WHERE type <> '' GROUP BY lower(type) ORDER BY n DESC LIMIT 1;
SELECT roaming, count(*) AS n FROM detal WHERE roaming <> '' GROUP BY lower(roaming) ORDER BY n DESC LIMIT 1;"
