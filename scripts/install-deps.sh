#!/usr/bin/env bash
# Installs what building, running and testing Zvonar needs on Debian 12, as
# root. Packages already present are not fetched again.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libgl-dev qt6-translations-l10n
  qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
  libgtest-dev libgmock-dev
  xvfb xauth
  python3 python3-dbfread python3-openpyxl poppler-utils libdbd-xbase-perl
  sqlite3 time
  libxxhash-dev libxlsxwriter-dev
  desktop-file-utils help2man dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
