#!/usr/bin/env bash
# bench/filter.sh [--records N]: the filter against SQLite on the same
# generated records (default 1,000,000, 50 owners, two years): nothing ticked
# but Null, one owner, one month by date, a number tail, Calls with Exclude,
# the statistic over the full result and the counts over the table. Prints
# "name value unit" and "name_vs_sqlite ratio" lines.
# Run through bench/run.sh, which sets ZVONAR_BENCH_BIN.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
records=$(records_option filter "$@")
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}

require_sqlite
make_workdir

load_generated "$records"

all="owner, datetime, number, abonent, code, type, sec, min, cost, mtp, \"all\", roaming"
rows="SELECT count(*), sum(length(owner || datetime || number || abonent || code || type || sec || min || cost || mtp || \"all\" || roaming))"
owner=79161197975   # owner 25 of the generator
pair() {  # name, filter_bench arguments..., then the SQL after "--"
  local name=$1
  shift
  run_pair "$name" "$work/bills.db" "$bin/analysis/filter_bench" "$work/table/" "$@"
}
pair all all -- "$rows FROM (SELECT $all FROM detal ORDER BY owner);"
pair owner owner "$owner" -- "$rows FROM detal WHERE owner = '$owner';"
pair month month 2024 3 -- "$rows FROM detal WHERE datetime >= '2024.03.01' AND datetime < '2024.03.31 99';"
pair number number 4567 -- "$rows FROM detal WHERE number LIKE '%4567';"
pair calls_exclude calls_exclude -- \
  "$rows FROM detal WHERE NOT (type IN ('1','2','G','m','M') AND (code = '' OR code IN ('1','2','G','m','M')));"
pair stat stat -- "SELECT type, sum(sec), sum(min), sum(cost) FROM detal GROUP BY type;"
pair counts counts -- "SELECT sum(sec), sum(min), sum(cost), sum(mtp), sum(\"all\") FROM detal;
SELECT number, count(*) AS n FROM detal WHERE number <> '' GROUP BY lower(number) ORDER BY n DESC LIMIT 1;
SELECT code, count(*) AS n FROM detal WHERE code <> '' GROUP BY lower(code) ORDER BY n DESC LIMIT 1;
SELECT type, count(*) AS n FROM detal WHERE type <> '' GROUP BY lower(type) ORDER BY n DESC LIMIT 1;
SELECT roaming, count(*) AS n FROM detal WHERE roaming <> '' GROUP BY lower(roaming) ORDER BY n DESC LIMIT 1;"
