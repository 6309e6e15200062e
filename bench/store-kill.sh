#!/usr/bin/env bash
# bench/store-kill.sh [--rounds N] [--writer-rounds W] [--seed S]: zvonar-cli
# killed with SIGKILL at a random moment, N rounds (default 1000) of: load-tsv
# appending records, import of a bill, reindex, and first creation (load-tsv
# into an empty data directory). After each round the table is dumped in physical order and in
# both index orders, and checked:
#   lost   records that were in the table before the round, or that a command
#          which finished reported stored, and are gone;
#   torn   records shown that no command wrote whole: part of a killed or
#          failed command's records (it must store all or none), or lines no
#          command wrote.
# Rounds where a dump fails, warns (e.g. "Index not Exist!") or an index
# order disagrees with the records are counted as index_bad. Each problem is
# described on stderr (the first 20). Then the store's own killed-writer test
# (appends, edits and deletes in one process) runs W rounds (default 300)
# and prints writer_failures. Run through bench/run.sh, which sets
# ZVONAR_BENCH_BIN.
set -euo pipefail
rounds=1000
writer_rounds=300
seed=$(date +%s)
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --writer-rounds) writer_rounds=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    *) echo "usage: bench/run.sh store-kill [--rounds N] [--writer-rounds W] [--seed S]" >&2; exit 2 ;;
  esac
done
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}
cli=$bin/cli/zvonar-cli
gen=$bin/import/bill_gen

. "$(dirname "$0")/lib.sh"
make_workdir
RANDOM=$seed
echo "kill_seed $seed seed"
data=$work/data

# A few bills and the records each one gives, from an import into a scratch directory.
bills=4
mkdir "$work/bills"
for b in $(seq 1 $bills); do
  "$gen" $((1000 + b * 500)) "$work/bills/$b.txt" --seed "$b" >/dev/null
  "$cli" --dir "$work/scratch$b" import "$work/bills/$b.txt" >/dev/null 2>&1
  "$cli" --dir "$work/scratch$b" dump | LC_ALL=C sort >"$work/bills/$b.expect"
  rm -rf "$work/scratch$b"
done

# The command of one round into $cmd and the records it stores into the sorted file $work/expect.
next_id=1
prepare() {
  case $1 in
    append | create)
      local count=$((200 + RANDOM % 4000))
      gen_records "$next_id" "$count" >"$work/in.tsv"
      next_id=$((next_id + count))
      LC_ALL=C sort "$work/in.tsv" >"$work/expect"
      cmd=(load-tsv "$work/in.tsv") ;;
    import)
      local b=$((1 + RANDOM % bills))
      cp "$work/bills/$b.expect" "$work/expect"
      cmd=(import --again "$work/bills/$b.txt") ;;  # the same bill may come again
    reindex)
      : >"$work/expect"
      cmd=(reindex) ;;
  esac
  [ "$1" != create ] || rm -rf "$data"
}

# How long each kind of command runs unkilled, in milliseconds: the kill
# lands anywhere from its start to a little after its end.
declare -A span
for op in create append import reindex; do
  prepare "$op"
  start=$(now_ms)
  "$cli" --dir "$data" "${cmd[@]}" >/dev/null 2>&1
  span[$op]=$(($(now_ms) - start + 5))
  echo "window_$op ${span[$op]} ms"
done
table_state "$cli" "$data" "$work/before" || { echo "the first table is unreadable: $(cat "$work/before.why")" >&2; exit 1; }

ops=(append append append append import import import reindex reindex create)
lost=0 torn=0 bad=0 killed=0
start=$(now)
for ((round = 1; round <= rounds; round++)); do
  op=${ops[RANDOM % ${#ops[@]}]}
  prepare "$op"
  [ "$op" != create ] || : >"$work/before"
  "$cli" --dir "$data" "${cmd[@]}" >/dev/null 2>"$work/cmd.err" &
  pid=$!
  sleep_ms $(((RANDOM * 32768 + RANDOM) % (span[$op] * 13 / 10 + 1)))
  kill -KILL "$pid" 2>/dev/null || true
  rc=0
  wait "$pid" 2>/dev/null || rc=$?
  [ "$rc" -ne 137 ] || killed=$((killed + 1))
  if ! table_state "$cli" "$data" "$work/after"; then
    bad=$((bad + 1))
    report_problem "round $round: $op (${cmd[*]}) exit $rc: $(cat "$work/after.why")"
  fi
  LC_ALL=C comm -13 "$work/before" "$work/after" >"$work/added"
  gone=$(missing_lines "$work/before" "$work/after")
  [ "$gone" -eq 0 ] || report_problem "round $round: $op exit $rc: $gone records of earlier rounds gone, e.g. $(LC_ALL=C comm -23 "$work/before" "$work/after" | head -1)"
  lost=$((lost + gone))
  added=$(wc -l <"$work/added")
  foreign=$(missing_lines "$work/added" "$work/expect")
  if [ "$rc" -eq 0 ]; then
    missed=$(missing_lines "$work/expect" "$work/added")
    [ "$missed" -eq 0 ] || report_problem "round $round: $op reported success but $missed of its records are missing"
    lost=$((lost + missed))
    torn=$((torn + foreign))
  elif [ "$added" -gt 0 ] && { [ "$foreign" -gt 0 ] || ! cmp -s "$work/added" "$work/expect"; }; then
    # Killed or failed: all of its records or none.
    report_problem "round $round: $op exit $rc left $added records of $(wc -l <"$work/expect") ($foreign foreign)" \
      "$( [ "$rc" -eq 137 ] || echo "; it said: $(tail -1 "$work/cmd.err")")"
    torn=$((torn + added))
  fi
  if [ "$rc" -ne 0 ] && [ "$rc" -ne 137 ]; then
    report_problem "round $round: $op failed unkilled, exit $rc: $(tail -1 "$work/cmd.err")"
  fi
  mv "$work/after" "$work/before"
done
echo "kill_time $(elapsed "$start" "$(now)") s"
writer_failures=0
if [ "$writer_rounds" -gt 0 ]; then
  ZVONAR_KILL_ROUNDS=$writer_rounds ZVONAR_KILL_SEED=$seed "$bin/store/store_tests" --gtest_filter='KilledWriter.*' \
    --gtest_brief=1 >"$work/writer.log" 2>&1 || { writer_failures=1; grep -A3 -m3 'Failure' "$work/writer.log" >&2 || true; }
fi
echo "writer_rounds $writer_rounds rounds"
echo "writer_failures $writer_failures runs"
echo "killed $killed rounds"
echo "index_bad $bad rounds"
echo "rounds $rounds rounds"
echo "lost $lost records"
echo "torn $torn records"
