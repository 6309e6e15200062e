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
# "NAME seconds s" among its figures) and the SQL on DB, and prints both
# times and their ratio.
run_pair() {
  local name=$1 db=$2
  shift 2
  local cmd=()
  while [ "$1" != "--" ]; do cmd+=("$1"); shift; done
  shift
  local ours theirs
  ours=$("${cmd[@]}")
  echo "$ours"
  theirs=$(printf '.timer on\n%s\n' "$1" | sqlite3 "$db" | sqlite_time)
  echo "sqlite_$name $theirs s"
  echo "${name}_vs_sqlite $(ratio "$(echo "$ours" | figure "$name")" "$theirs") ratio"
}
