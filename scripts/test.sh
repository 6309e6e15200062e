#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in the
# normal build and in the address + undefined-behaviour sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
(cd build && ctest --output-on-failure -j 2)
bash scripts/build.sh build-asan -DZVONAR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ctest --output-on-failure -j 2)
