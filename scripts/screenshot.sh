#!/usr/bin/env bash
# Builds Zvonar and saves pictures of the main window at its default size
# over a small sample table, with the filter run and the counts made, in
# English and in Russian: docs/screenshot.png and docs/screenshot-ru.png;
# then in both languages the codes/types dialog over examples/codetype.dat
# (docs/codes-types.png, and with a row being added docs/codes-types-add.png),
# the four configuration dialogs and the About box (docs/dialog-<name>.png),
# a question box and a file chooser (docs/boxes-*.png), the find bars
# (docs/find.png) and the abonents book. Russian pictures end in -ru; last
# the welcome of an empty table (docs/welcome.png). Runs the window under
# Xvfb.
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
  # The type texts of the sample records, so the statistic has its rows.
  printf '1=\xc8\xf1\xf5\r\n2=\xc2\xf5\r\n8=SMS\r\nG=GPRS\r\n' > "$dir/codetype.dat"
  out=docs/screenshot.png
  [ "$lang" = russian ] && out=docs/screenshot-ru.png
  xvfb-run -a -s "-screen 0 1280x800x24" build/app/zvonar-screenshot "$dir" "$out"
  echo "saved $out"
  # The find bars over the grid and the result list: docs/find.png and
  # docs/find-ru.png.
  out=docs/find.png
  [ "$lang" = russian ] && out=docs/find-ru.png
  xvfb-run -a -s "-screen 0 1280x800x24" build/app/zvonar-screenshot --find "$dir" "$out"
  echo "saved $out"
  cp examples/codetype.dat "$dir/codetype.dat"
  out=docs/codes-types.png
  [ "$lang" = russian ] && out=docs/codes-types-ru.png
  xvfb-run -a -s "-screen 0 1280x800x24" build/app/zvonar-screenshot --codes "$dir" "$out"
  echo "saved $out"
  out=docs/codes-types-add.png
  [ "$lang" = russian ] && out=docs/codes-types-add-ru.png
  xvfb-run -a -s "-screen 0 1280x800x24" build/app/zvonar-screenshot --codes-add "$dir" "$out"
  echo "saved $out"
  suffix=""
  [ "$lang" = russian ] && suffix=-ru
  for dialog in settings servicesid registerfields dbfields about; do
    xvfb-run -a -s "-screen 0 1280x800x24" build/app/zvonar-screenshot --dialog "$dialog" "$dir" \
      "docs/dialog-$dialog$suffix.png"
    echo "saved docs/dialog-$dialog$suffix.png"
  done
  # A question box and the Add Detalization chooser with its file types
  # open: docs/boxes-message.png, docs/boxes-chooser.png and their -ru
  # pictures.
  cp examples/bill-2008-03.txt examples/bill-2008-05.txt "$dir/"
  xvfb-run -a -s "-screen 0 1280x800x24" build/app/zvonar-screenshot --boxes "$dir" "docs/boxes$suffix"
  echo "saved docs/boxes$suffix-message.png and docs/boxes$suffix-chooser.png"
  rm -f "$dir"/bill-*
  # The chart window's four tabs over the sample bills: docs/charts-1.png
  # to docs/charts-4.png.
  rm -f "$dir"/Tellura.*
  # Copies, as an import writes the month summary beside the bill.
  mkdir "$dir/bills"
  cp examples/bill-* "$dir/bills/"
  for bill in "$dir"/bills/*; do build/cli/zvonar-cli --dir "$dir" import "$bill" > /dev/null; done
  cp examples/abonents.dat examples/codetype.dat "$dir/"
  # The Types stay raw codes, as after a first import: the charts name them
  # from codetype.dat.
  xvfb-run -a -s "-screen 0 1280x800x24" build/app/zvonar-screenshot --charts "$dir" "docs/charts$suffix"
  echo "saved docs/charts$suffix-1.png to -4.png"
  # The printed report of every record and its statistic, first and last
  # page: docs/report-list-page.png and docs/report-last-page.png in
  # Russian, docs/report-list-page-en.png and -last-page-en.png in English.
  pages=docs/report
  [ "$lang" = english ] && pages=docs/report-en
  build/cli/zvonar-cli --dir "$dir" fill-codes > /dev/null
  build/cli/zvonar-cli --dir "$dir" report --pdf "$dir/report.pdf" > /dev/null
  pdftoppm -png -r 70 -singlefile -f 1 "$dir/report.pdf" "$pages-first"
  pdftoppm -png -r 70 -singlefile -f "$(pdfinfo "$dir/report.pdf" | awk '/^Pages:/ {print $2}')" \
    "$dir/report.pdf" "$pages-last"
  mv "$pages-first.png" "${pages/report/report-list-page}.png"
  mv "$pages-last.png" "${pages/report/report-last-page}.png"
  echo "saved the report's first and last page"
  rm -rf "$dir"
done

# The abonents book and its entry dialog, in both languages:
# docs/abonents-book.png, docs/abonent-entry.png and their -ru pictures.
for lang in english russian; do
  dir=$(mktemp -d)
  cp lang/*.lng "$dir/"
  printf '[Settings]\r\nLanguage=%s\r\n' "$lang" > "$dir/settings.ini"
  printf '[Abonents]\r\n79161234567=Иванов Пётр\r\n79037654321=Сидорова Анна\r\n79265554433=Office\r\n84951234567=Taxi\r\n' |
    iconv -f utf-8 -t cp1251 > "$dir/abonents.dat"
  suffix=""
  [ "$lang" = russian ] && suffix=-ru
  xvfb-run -a -s "-screen 0 1280x800x24" build/app/zvonar-screenshot --abonents-book "$dir" \
    "docs/abonents-book$suffix.png" "docs/abonent-entry$suffix.png"
  rm -rf "$dir"
  echo "saved docs/abonents-book$suffix.png and docs/abonent-entry$suffix.png"
done

# The welcome of an empty table, in both languages: docs/welcome.png and
# docs/welcome-ru.png.
for lang in english russian; do
  dir=$(mktemp -d)
  cp lang/*.lng "$dir/"
  printf '[Settings]\r\nLanguage=%s\r\n' "$lang" > "$dir/settings.ini"
  out=docs/welcome.png
  [ "$lang" = russian ] && out=docs/welcome-ru.png
  xvfb-run -a -s "-screen 0 1280x800x24" build/app/zvonar-screenshot "$dir" "$out"
  rm -rf "$dir"
  echo "saved $out"
done

# The question before calls the table holds already are skipped, and the
# Find Duplicates dialog over a bill imported twice, in both languages:
# docs/duplicates-question.png, docs/duplicates-dialog.png and their -ru
# pictures.
for lang in english russian; do
  dir=$(mktemp -d)
  cp lang/*.lng "$dir/"
  printf '[Settings]\r\nLanguage=%s\r\n' "$lang" > "$dir/settings.ini"
  mkdir "$dir/bills"
  cp examples/bill-2008-03.txt "$dir/bills/a.txt"
  sed 's/\r$//' examples/bill-2008-03.txt > "$dir/bills/b.txt"
  build/cli/zvonar-cli --dir "$dir" import "$dir/bills/a.txt" > /dev/null 2>&1
  build/cli/zvonar-cli --dir "$dir" import --keep-duplicates "$dir/bills/b.txt" > /dev/null 2>&1
  suffix=""
  [ "$lang" = russian ] && suffix=-ru
  xvfb-run -a -s "-screen 0 1280x800x24" build/app/zvonar-screenshot --duplicates "$dir" "docs/duplicates$suffix"
  rm -rf "$dir"
  echo "saved docs/duplicates$suffix-question.png and docs/duplicates$suffix-dialog.png"
done
