#!/usr/bin/env bash
# bench/charts.sh [RECORDS [NUMBERS]]: the figures and the chart window over
# generated result rows (default 1,000,000 over 20,000 numbers), offscreen.
# Needs the window program's build (build/, made by scripts/build.sh build);
# prints "name value unit" lines. The window should open in under 2 s.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin="$here/../build/app/charts_bench"
[ -x "$bin" ] || { echo "build the window program first: scripts/build.sh build" >&2; exit 1; }
QT_QPA_PLATFORM=offscreen "$bin" "$@"
