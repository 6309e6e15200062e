#!/usr/bin/env bash
# desktop_entry_test.sh DIST_DIR: the desktop entry passes Debian's
# desktop-file-validate and names the icon and program the package installs;
# the icon is well-formed SVG. Exits 77 (skipped) without the validator.
set -euo pipefail
dist=$1
command -v desktop-file-validate > /dev/null || { echo "desktop-file-validate is not installed"; exit 77; }
desktop-file-validate "$dist/zvonar.desktop"
grep -qx 'Icon=zvonar' "$dist/zvonar.desktop"
grep -qx 'Exec=zvonar' "$dist/zvonar.desktop"
grep -qx 'Categories=Office;Finance;' "$dist/zvonar.desktop"
python3 -c 'import sys, xml.etree.ElementTree as t; r = t.parse(sys.argv[1]).getroot(); sys.exit(r.tag != "{http://www.w3.org/2000/svg}svg")' \
  "$dist/zvonar.svg"
echo "desktop entry and icon ok"
