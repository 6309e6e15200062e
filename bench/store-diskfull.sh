#!/usr/bin/env bash
# bench/store-diskfull.sh [--rounds N]: zvonar-cli writing into a small
# tmpfs (mounted here, so run as root; skipped otherwise) filled up to a
# random few bytes short of what the command needs, N rounds (default 60) of
# load-tsv appends, bill imports and first creations. A command that fails
# must leave the table file byte for byte as before, and its retry once the
# disk has room must store its records exactly once; one that stored its
# records but could not write the index file after must say so and keep
# them. The table must stay readable in both index orders while the disk is
# full.
#   lost   records of the table before the round, or of a command that
#          reported success, missing afterwards;
#   torn   records of a failed command found afterwards, or doubled by its
#          retry, or lines no command wrote.
# changed counts failed rounds whose table file differs from before even
# though its records do not; index_bad counts rounds where the table could
# not be read, warned, or an index order disagreed (disk full or not). Run
# through bench/run.sh, which sets ZVONAR_BENCH_BIN.
set -euo pipefail
rounds=60
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    *) echo "usage: bench/run.sh store-diskfull [--rounds N]" >&2; exit 2 ;;
  esac
done
if [ "$(id -u)" != 0 ]; then
  echo "store-diskfull: skipped: mounting the small tmpfs it fills needs root" >&2
  exit 0
fi
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh}
cli=$bin/cli/zvonar-cli
gen=$bin/import/bill_gen

. "$(dirname "$0")/lib.sh"
make_workdir
mnt=$work/mnt
mkdir "$mnt"
mount -t tmpfs -o size=8m tmpfs "$mnt"
trap 'umount "$mnt"; rm -rf "$work"' EXIT
data=$mnt/data
"$gen" 3000 "$work/bill.txt" --seed 5 >/dev/null
"$cli" --dir "$work/scratch" import "$work/bill.txt" >/dev/null 2>&1
"$cli" --dir "$work/scratch" dump | LC_ALL=C sort >"$work/bill.expect"
rm -rf "$work/scratch"

free_bytes() { df --output=avail -B1 "$mnt" | tail -1; }
# Fills the disk but for $1 bytes.
fill_but() {
  local room
  room=$(($(free_bytes) - $1))
  [ "$room" -le 0 ] || fallocate -l "$room" "$mnt/filler" 2>/dev/null || head -c "$room" /dev/zero >"$mnt/filler" 2>/dev/null || true
}

# Checks the table as it is and compares it with the sorted file $1:
# adds what is missing to lost and what is extra to torn; $2 names the step.
next_id=1
lost=0 torn=0 bad=0 changed=0 failed=0 without_index=0
compare() {
  local want=$1 step=$2 missed extra
  if ! table_state "$cli" "$data" "$work/after"; then
    bad=$((bad + 1))
    report_problem "round $round $step: $(cat "$work/after.why")"
  fi
  missed=$(missing_lines "$want" "$work/after")
  extra=$(missing_lines "$work/after" "$want")
  [ "$missed" -eq 0 ] || report_problem "round $round $step: $missed records missing, e.g. $(LC_ALL=C comm -23 "$want" "$work/after" | head -1)"
  [ "$extra" -eq 0 ] || report_problem "round $round $step: $extra records too many, e.g. $(LC_ALL=C comm -13 "$want" "$work/after" | head -1)"
  lost=$((lost + missed))
  torn=$((torn + extra))
}

start=$(now)
for ((round = 1; round <= rounds; round++)); do
  rm -f "$mnt/filler"
  case $((round % 6)) in
    1) op=create ;;
    2 | 4) op=import ;;
    *) op=append ;;
  esac
  if [ "$op" = import ]; then
    cp "$work/bill.expect" "$work/expect"
    cmd=(import "$work/bill.txt")
    need=$((3000 * 250))
  else
    count=$((300 + RANDOM % 3000))
    gen_records "$next_id" "$count" >"$work/in.tsv"
    next_id=$((next_id + count))
    LC_ALL=C sort "$work/in.tsv" >"$work/expect"
    cmd=(load-tsv "$work/in.tsv")
    need=$((count * 250))
  fi
  if [ "$op" = create ]; then
    rm -rf "$data"
    : >"$work/before"
    need=8192
  else
    table_state "$cli" "$data" "$work/before" || true
  fi
  cp "$data/Tellura.dbf" "$work/before.dbf" 2>/dev/null || rm -f "$work/before.dbf"
  fill_but $(((RANDOM * 32768 + RANDOM) % (need * 13 / 10)))
  rc=0
  "$cli" --dir "$data" "${cmd[@]}" >/dev/null 2>"$work/cmd.err" || rc=$?
  # Readers of an existing table keep working while the disk is full.
  if [ -e "$data/Tellura.dbf" ] && ! table_state "$cli" "$data" "$work/full"; then
    bad=$((bad + 1))
    report_problem "round $round $op, disk full: $(cat "$work/full.why")"
  fi
  if [ "$op" = create ] && [ -e "$data/Tellura.dbf" ] && [ ! -e "$data/Tellura.MDX" ]; then
    bad=$((bad + 1))
    report_problem "round $round: a failed first creation left the table without its index"
  fi
  rm -f "$mnt/filler"
  # Stored, but the index file could not be written after: a failure that
  # keeps the records, and says so.
  if [ "$rc" -ne 0 ] && grep -q 'records added; the index file could not be written' "$work/cmd.err"; then
    without_index=$((without_index + 1))
    rc=0
  fi
  if [ "$rc" -eq 0 ]; then
    LC_ALL=C sort -m "$work/before" "$work/expect" >"$work/want"
    compare "$work/want" "$op, succeeded"
    continue
  fi
  failed=$((failed + 1))
  compare "$work/before" "$op, failed ($(tail -1 "$work/cmd.err"))"
  if [ -e "$work/before.dbf" ] && ! cmp -s "$work/before.dbf" "$data/Tellura.dbf"; then
    changed=$((changed + 1))
    report_problem "round $round $op: the failed command changed the table file ($(stat -c %s "$work/before.dbf") bytes before, $(stat -c %s "$data/Tellura.dbf") after)"
  fi
  rc=0
  "$cli" --dir "$data" "${cmd[@]}" >/dev/null 2>"$work/cmd.err" || rc=$?
  [ "$rc" -eq 0 ] || report_problem "round $round $op: the retry failed too: $(tail -1 "$work/cmd.err")"
  LC_ALL=C sort -m "$work/before" "$work/expect" >"$work/want"
  compare "$work/want" "$op, retried"
done
echo "diskfull_time $(elapsed "$start" "$(now)") s"
echo "failed $failed commands"
echo "stored_without_index $without_index commands"
echo "changed $changed rounds"
echo "index_bad $bad rounds"
echo "rounds $rounds rounds"
echo "lost $lost records"
echo "torn $torn records"
