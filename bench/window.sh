#!/usr/bin/env bash
# bench/window.sh [--records N]: the main window over a table of N generated
# records (default 1,000,000), offscreen: "Filtering" with the criteria the
# window starts with, until every row is listed and painted, then scrolling
# the list to its last row and back to the first, then Ctrl+F and the last
# row's number typed into the find bar. Prints "name value unit" lines, the
# peak memory of the window program, and each time's ratio to its target
# (1 s to list, 0.1 s to scroll, 0.1 s for the slowest find keystroke;
# below 1: met). The statistic the window computes after the filter is part
# of the listing time. Run through bench/run.sh, which sets
# ZVONAR_BENCH_BIN to a build with the window.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
records=$(records_option window "$@")
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}
[ -x /usr/bin/time ] || { echo "/usr/bin/time is not installed (Debian package time)" >&2; exit 1; }
make_workdir

"$bin/store/store_bench" gen "$records" "$work/bills.tsv"
echo "records $records records"
mkdir -p "$work/table"
"$bin/cli/zvonar-cli" --dir "$work/table" load-tsv "$work/bills.tsv" >/dev/null
rm "$work/bills.tsv"
# The code texts the generated records use, so the statistic that follows
# the filter counts every row into its line.
printf '1=out\r\n2=in\r\n3=sms out\r\n4=sms in\r\n5=gprs\r\n' >"$work/table/codetype.dat"

QT_QPA_PLATFORM=offscreen /usr/bin/time -f "%M" -o "$work/rss" "$bin/app/window_bench" "$work/table" >"$work/out" 2>"$work/err" ||
  { cat "$work/out" "$work/err" >&2; exit 1; }
cat "$work/out"
peak_kb=$(tail -1 "$work/rss")
echo "window_peak_memory $(awk -v k="$peak_kb" 'BEGIN { printf "%.1f", k / 1024 }') MB"
listed=$(figure window_rows <"$work/out")
[ "$listed" = "$records" ] || { echo "the window listed $listed rows of $records" >&2; exit 1; }
