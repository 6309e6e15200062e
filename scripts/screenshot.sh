#!/usr/bin/env bash
# Builds Zvonar and saves pictures of the main window over a small sample
# table, in English and in Russian: docs/screenshot.png and
# docs/screenshot-ru.png. Runs the window under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
for lang in english russian; do
  dir=$(mktemp -d)
  cp lang/*.lng "$dir/"
  printf '[Settings]\r\nLanguage=%s\r\n' "$lang" > "$dir/settings.ini"
  build/cli/zvonar-cli --dir "$dir" load-tsv examples/sample-records.tsv
  printf '79161234567\r\n79037654321\r\n' > "$dir/Tellura.dat"
  out=docs/screenshot.png
  [ "$lang" = russian ] && out=docs/screenshot-ru.png
  xvfb-run -a -s "-screen 0 1280x800x24" build/app/zvonar-screenshot "$dir" "$out" 1000 600
  rm -rf "$dir"
  echo "saved $out"
done
