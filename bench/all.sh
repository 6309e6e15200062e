#!/usr/bin/env bash
# bench/all.sh [--records N]: the store, import, filter (with the statistic
# and the counts) and books benchmarks one after another, each next to
# SQLite on the same work; every figure is printed, then the *_vs_sqlite
# ratios again together. Run through bench/run.sh, which sets
# ZVONAR_BENCH_BIN.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
figures=$(mktemp)
trap 'rm -f "$figures"' EXIT
records=1000000
while [ $# -gt 0 ]; do
  case $1 in
    --records) records=$2; shift 2 ;;
    *) echo "usage: bench/run.sh all [--records N]" >&2; exit 2 ;;
  esac
done
for name in store import filter books; do
  echo "# $name"
  if [ "$name" = import ]; then size=(--lines "$records"); else size=(--records "$records"); fi
  bash "$here/$name.sh" "${size[@]}" | tee -a "$figures"
done
echo "# every ratio to SQLite"
grep '_vs_sqlite ' "$figures"
