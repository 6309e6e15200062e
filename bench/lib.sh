# Helpers the benchmark scripts share; sourced, not run.
now() { date +%s.%N; }
# Seconds from one `now` to another.
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
# a / b, 0 when b is 0.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }'; }
# The value of figure NAME in "name value unit" lines on stdin.
figure() { awk -v n="$1" '$1 == n { print $2 }'; }
# The real seconds of every statement sqlite3's .timer reported, added up.
sqlite_time() { grep '^Run Time' | awk '{ s += $4 } END { printf "%.3f", s }'; }

# A fresh work directory, removed when the script ends, in $work.
make_workdir() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/zvonar-bench-XXXXXX")
  trap 'rm -rf "$work"' EXIT
}

require_sqlite() {
  command -v sqlite3 >/dev/null || { echo "sqlite3 is not installed (scripts/install-deps.sh)" >&2; exit 1; }
}

# sqlite_load DB TSV: the records of TSV (the form zvonar-cli dump prints)
# into table detal of DB, indexed on owner and date-time as the program's
# table is.
sqlite_load() {
  sqlite3 "$1" <<SQL
CREATE TABLE detal(owner TEXT, datetime TEXT, number TEXT, abonent TEXT, code TEXT, type TEXT,
                   sec TEXT, min TEXT, cost TEXT, mtp TEXT, "all" TEXT, roaming TEXT);
CREATE INDEX detal_owner ON detal(owner);
CREATE INDEX detal_datetime ON detal(datetime);
.mode tabs
.import $2 detal
SQL
}

# run_pair NAME DB PROGRAM ARGS... -- SQL: runs PROGRAM (which prints
# "NAME seconds s" among its figures) and the SQL on DB, $pair_runs times
# each (default 3; the cases are read-only), and prints the figures of the
# program's fastest run, SQLite's fastest time and their ratio. A single run
# of a case of a few milliseconds moved by half between runs on a virtual
# machine, on either side.
pair_runs=${ZVONAR_BENCH_PAIR_RUNS:-3}
run_pair() {
  local name=$1 db=$2
  shift 2
  local cmd=()
  while [ "$1" != "--" ]; do cmd+=("$1"); shift; done
  shift
  local ours= theirs= out t i
  for ((i = 0; i < pair_runs; i++)); do
    out=$("${cmd[@]}")
    t=$(echo "$out" | figure "$name")
    if [ -z "$ours" ] || awk -v a="$t" -v b="$(echo "$ours" | figure "$name")" 'BEGIN { exit !(a < b) }'; then
      ours=$out
    fi
    t=$(printf '.timer on\n%s\n' "$1" | sqlite3 "$db" | sqlite_time)
    if [ -z "$theirs" ] || awk -v a="$t" -v b="$theirs" 'BEGIN { exit !(a < b) }'; then theirs=$t; fi
  done
  echo "$ours"
  echo "sqlite_$name $theirs s"
  echo "${name}_vs_sqlite $(ratio "$(echo "$ours" | figure "$name")" "$theirs") ratio"
}

# --- Stress helpers: the killed, concurrent and disk-full runs of zvonar-cli.

# gen_records FIRST COUNT: COUNT records in the form load-tsv reads and dump
# prints, numbered FIRST, FIRST + 1, ... in the Number cell (12 digits), so a
# dump shows which command stored each.
gen_records() {
  awk -v first="$1" -v count="$2" 'BEGIN {
    for (id = first; id < first + count; id++)
      printf "7916%07d\t2024.%02d.%02d %02d:%02d:%02d\t%012d\tabonent %d\t%d\t%d\t%d\t%d\t%d.50\t\t%d.50\tnet %d\n",
        id % 5, 1 + id % 12, 1 + id % 28, id % 24, id % 60, 1 + id % 59, id, id * 7, id % 9, id % 4,
        id % 3000, id % 50, id % 100, id % 100, id % 11
  }'
}

# sleep_ms N: sleeps N milliseconds.
sleep_ms() { sleep "$(printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)))"; }

# Milliseconds since the epoch.
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# table_state CLI DIR STATE: the records of the table in DIR, sorted, into
# STATE; both index orders are checked against them (the same records, keys
# in order) and nothing may be said on stderr. Returns 1, with the reason in
# STATE.why, when the table cannot be read or an order is wrong.
table_state() {
  local cli=$1 dir=$2 state=$3 why=
  : >"$state.why"
  "$cli" --dir "$dir" dump >"$state.raw" 2>"$state.err" || why="dump failed"
  "$cli" --dir "$dir" dump --index Owner >"$state.owner" 2>>"$state.err" || why="${why:-dump --index Owner failed}"
  "$cli" --dir "$dir" dump --index DateTime >"$state.date" 2>>"$state.err" || why="${why:-dump --index DateTime failed}"
  [ -s "$state.err" ] && why="${why:+$why: }$(head -1 "$state.err")"
  LC_ALL=C sort "$state.raw" >"$state"
  LC_ALL=C sort -c -s -t$'\t' -k1,1 "$state.owner" 2>/dev/null || why="${why:-Owner order broken}"
  LC_ALL=C sort -c -s -t$'\t' -k2,2 "$state.date" 2>/dev/null || why="${why:-DateTime order broken}"
  cmp -s "$state" <(LC_ALL=C sort "$state.owner") || why="${why:-Owner order holds other records}"
  cmp -s "$state" <(LC_ALL=C sort "$state.date") || why="${why:-DateTime order holds other records}"
  [ -z "$why" ] && return 0
  echo "$why" >"$state.why"
  return 1
}

# Lines of sorted file $1 missing from sorted file $2, duplicates counted.
missing_lines() { LC_ALL=C comm -23 "$1" "$2" | wc -l; }

# The problems a stress script met, the first few shown on stderr in full.
problems=0
report_problem() {
  problems=$((problems + 1))
  [ "$problems" -le 20 ] && echo "problem: $*" >&2
  return 0
}

# tmpfs_dir VAR: a fresh directory on a memory file system in VAR: under
# /dev/shm when that is one, else a tmpfs mounted here when run as root.
# Returns 1 when neither is possible. Removed (and unmounted) at exit.
tmpfs_dir() {
  local dir
  if [ "$(stat -f -c %T /dev/shm 2>/dev/null)" = tmpfs ]; then
    dir=$(mktemp -d /dev/shm/zvonar-bench-XXXXXX)
    trap "rm -rf '$dir'; rm -rf '$work'" EXIT
  elif [ "$(id -u)" = 0 ]; then
    dir=$work/tmpfs
    mkdir "$dir"
    mount -t tmpfs -o size=512m tmpfs "$dir" || return 1
    trap "umount '$dir'; rm -rf '$work'" EXIT
  else
    return 1
  fi
  printf -v "$1" '%s' "$dir"
}

# records_option NAME ARGS...: prints the N of "--records N" (1,000,000 when
# absent); any other argument is a usage error of benchmark NAME.
records_option() {
  local name=$1 n=1000000
  shift
  while [ $# -gt 0 ]; do
    case $1 in
      --records) n=$2; shift 2 ;;
      *) echo "usage: bench/run.sh $name [--records N]" >&2; return 2 ;;
    esac
  done
  echo "$n"
}

# load_generated N: generates N records into $work/bills.tsv, prints the
# "records" figure, and loads them into the table in $work/table and into
# SQLite's $work/bills.db.
load_generated() {
  "$bin/store/store_bench" gen "$1" "$work/bills.tsv"
  echo "records $1 records"
  mkdir -p "$work/table"
  "$bin/cli/zvonar-cli" --dir "$work/table" load-tsv "$work/bills.tsv" >/dev/null
  sqlite_load "$work/bills.db" "$work/bills.tsv"
  # Both sides' files on the disk before anything is timed: the kernel
  # writes dirty pages back some 30 s later, in the middle of whichever
  # case runs then, on either side.
  sync
}
