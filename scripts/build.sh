#!/usr/bin/env bash
# build.sh DIR [CMAKE OPTIONS...]: configures and builds Zvonar into DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$dir" -j "$(nproc)"
