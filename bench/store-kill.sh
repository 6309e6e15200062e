#!/usr/bin/env bash
# bench/store-kill.sh [--rounds N] [--seed S]: the killed-writer test of the
# store at length (default 3000 rounds): a child appends, edits and deletes,
# is killed with SIGKILL at a random moment, and the reopened table is
# checked. Prints "kill_rounds N rounds" and the time taken; a failure names
# the seed and round to replay. Run through bench/run.sh, which sets
# ZVONAR_BENCH_BIN.
set -euo pipefail
rounds=3000
seed=$(date +%s)
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    *) echo "usage: bench/run.sh store-kill [--rounds N] [--seed S]" >&2; exit 2 ;;
  esac
done
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}
echo "kill_seed $seed seed"
start=$(date +%s.%N)
ZVONAR_KILL_ROUNDS=$rounds ZVONAR_KILL_SEED=$seed \
  "$bin/store/store_tests" --gtest_filter='KilledWriter.*' --gtest_brief=1
echo "kill_rounds $rounds rounds"
awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "kill_time %.1f s\n", b - a }'
