#!/usr/bin/env bash
# bench/process-stress.sh [--runs N]: the tests that run zvonar-cli and the
# store beside other processes (readers and writers sharing the table, killed
# writers, the order of a commit's steps) N times in a row (default 50) while
# stress-ng keeps every core busy, stopping at the first failure, whose
# output is printed. Prints "process_stress_runs K runs" with the runs that
# passed, and exits 1 when one failed. Not run in CI: it takes many minutes.
# Run through bench/run.sh, which sets ZVONAR_BENCH_BIN.
set -euo pipefail
runs=50
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    *) echo "usage: bench/run.sh process-stress [--runs N]" >&2; exit 2 ;;
  esac
done
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}
command -v stress-ng >/dev/null || { echo "stress-ng is not installed (apt-get install stress-ng)" >&2; exit 1; }

. "$(dirname "$0")/lib.sh"
make_workdir
stress-ng --cpu "$(nproc)" --timeout 0 >/dev/null 2>&1 &
stress=$!
trap 'kill "$stress" 2>/dev/null; wait "$stress" 2>/dev/null; rm -rf "$work"' EXIT

# Each test binary with the filter of its process tests ("-": a window
# test, run whole; skipped in a build without the window).
export QT_QPA_PLATFORM=offscreen
suites=(
  "$bin/cli/cli_tests" "CliProcessTest.*:CliStoreTest.*:CliJournalTest.*:CliImport.*"
  "$bin/store/store_tests" "KilledWriter.*:KilledImporter.*:WriteOrderTest.*"
  "$bin/base/base_tests" "InstanceLock.*"
  "$bin/app/main_form_lock_tests" "-"
)
passed=0
start=$(now)
for ((run = 1; run <= runs; run++)); do
  for ((i = 0; i < ${#suites[@]}; i += 2)); do
    test=${suites[i]}
    [ -x "$test" ] || continue
    filter=()
    [ "${suites[i + 1]}" = - ] || filter=(--gtest_filter="${suites[i + 1]}")
    if ! (cd "$work" && "$test" "${filter[@]}") >"$work/out" 2>&1; then
      grep -E '^\[  FAILED  \]|Failure|Which is|Expected|Actual|zvonar-cli|^FAIL|Loc:' "$work/out" | head -60 >&2
      echo "run $run of $runs failed: $(basename "$test")" >&2
      echo "process_stress_runs $passed runs"
      exit 1
    fi
  done
  passed=$run
done
echo "process_stress_runs $passed runs"
echo "process_stress_seconds $(elapsed "$start" "$(now)") s"
