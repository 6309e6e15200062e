#!/usr/bin/env bash
# bench/duplicates.sh [--records N]: the check an import makes for calls the
# table holds already, on a table of generated bills (default 1,000,000
# records, 50 owners, two years): a bill of 24 calls, half of them in the
# table, looked up through the DateTime index. Prints "name value unit";
# the target is 20 ms for duplicate_check_24_into_1m.
# Run through bench/run.sh, which sets ZVONAR_BENCH_BIN.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
records=$(records_option duplicates "$@")
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}
make_workdir

"$bin/store/store_bench" gen "$records" "$work/bills.tsv"
mkdir -p "$work/table"
"$bin/cli/zvonar-cli" --dir "$work/table" load-tsv "$work/bills.tsv" >/dev/null
rm "$work/bills.tsv"
"$bin/import/duplicate_bench" "$work/table/"
