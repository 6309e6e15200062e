#!/usr/bin/env bash
# bench/store-creators.sh [--rounds N]: two zvonar-cli load-tsv writers
# started together on an empty data directory on a memory file system, N
# rounds (default 500). Each writer either reports success, and then all its
# records must be in the table, or fails (the table is in use), and then
# none may be:
#   lost   records of a writer that reported success missing from the table;
#   torn   records of a writer that failed found in the table, or lines
#          neither wrote.
# Rounds where the table cannot be read, warns or an index order disagrees
# are counted as index_bad. Run through bench/run.sh, which sets
# ZVONAR_BENCH_BIN.
set -euo pipefail
rounds=500
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    *) echo "usage: bench/run.sh store-creators [--rounds N]" >&2; exit 2 ;;
  esac
done
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}
cli=$bin/cli/zvonar-cli

. "$(dirname "$0")/lib.sh"
make_workdir
tmpfs_dir fast || { echo "store-creators: no memory file system (/dev/shm, or root to mount one); skipped" >&2; exit 0; }
data=$fast/data

gen_records 1 300 >"$work/a.tsv"
gen_records 1001 300 >"$work/b.tsv"
LC_ALL=C sort "$work/a.tsv" >"$work/a.expect"
LC_ALL=C sort "$work/b.tsv" >"$work/b.expect"
LC_ALL=C sort -m "$work/a.expect" "$work/b.expect" >"$work/both.expect"

lost=0 torn=0 bad=0 refused=0
start=$(now)
for ((round = 1; round <= rounds; round++)); do
  rm -rf "$data"
  "$cli" --dir "$data" load-tsv "$work/a.tsv" >/dev/null 2>"$work/a.err" &
  a=$!
  "$cli" --dir "$data" load-tsv "$work/b.tsv" >/dev/null 2>"$work/b.err" &
  b=$!
  rc_a=0 rc_b=0
  wait "$a" || rc_a=$?
  wait "$b" || rc_b=$?
  if ! table_state "$cli" "$data" "$work/after"; then
    bad=$((bad + 1))
    report_problem "round $round: exits $rc_a and $rc_b: $(cat "$work/after.why")"
  fi
  for w in a b; do
    rc=rc_$w
    if [ "${!rc}" -eq 0 ]; then
      missed=$(missing_lines "$work/$w.expect" "$work/after")
      [ "$missed" -eq 0 ] || report_problem "round $round: writer $w reported success but $missed of its 300 records are missing"
      lost=$((lost + missed))
    else
      refused=$((refused + 1))
      kept=$((300 - $(missing_lines "$work/$w.expect" "$work/after")))
      [ "$kept" -eq 0 ] || report_problem "round $round: writer $w failed ($(tail -1 "$work/$w.err")) but left $kept records"
      torn=$((torn + kept))
    fi
  done
  foreign=$(missing_lines "$work/after" "$work/both.expect")
  [ "$foreign" -eq 0 ] || report_problem "round $round: $foreign records neither writer wrote"
  torn=$((torn + foreign))
done
echo "creators_time $(elapsed "$start" "$(now)") s"
echo "refused $refused writers"
echo "index_bad $bad rounds"
echo "rounds $rounds rounds"
echo "lost $lost records"
echo "torn $torn records"
