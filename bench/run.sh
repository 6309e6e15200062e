#!/usr/bin/env bash
# bench/run.sh NAME [ARGS...]: builds the optimised programs and runs the
# benchmark bench/NAME.sh, which generates its data and prints one figure per
# line as "name value unit". The window benchmark gets its own build with the
# window program; the others a build without it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
name=${1:-}
if [ -z "$name" ] || [ ! -f "$here/$name.sh" ]; then
  echo "usage: bench/run.sh NAME [ARGS...]; benchmarks:" $(cd "$here" && ls *.sh | grep -v -e '^run.sh$' -e '^lib.sh$' | sed 's/\.sh$//') >&2
  exit 2
fi
shift
build=build-bench gui=OFF
[ "$name" = window ] && build=build-bench-gui gui=ON
log=$(mktemp)
if ! bash "$here/../scripts/build.sh" "$here/../$build" -DCMAKE_BUILD_TYPE=Release -DZVONAR_GUI=$gui >"$log" 2>&1; then
  cat "$log" >&2
  rm -f "$log"
  exit 1
fi
rm -f "$log"
export ZVONAR_BENCH_BIN="$here/../$build"
exec bash "$here/$name.sh" "$@"
