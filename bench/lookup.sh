#!/usr/bin/env bash
# bench/lookup.sh [LINES [LOOKUPS]]: abonent name lookups in a generated book
# of LINES entries (default 10000), LOOKUPS queries (default 1000000) mixing
# exact hits, misses and number-variant lookups. Run through bench/run.sh.
set -euo pipefail
bin=${ZVONAR_BENCH_BIN:?run through bench/run.sh lookup}
exec "$bin/import/bench_lookup" "$@"
