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
