#!/usr/bin/env bash
# Installs what is missing, builds Zvonar and starts the window program.
# Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
exec build/app/zvonar "$@"
