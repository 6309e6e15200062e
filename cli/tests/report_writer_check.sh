#!/usr/bin/env bash
# report_writer_check.sh ZVONAR-CLI WRITER RELATIVE-DIR [SHARED]: zvonar-cli
# starts without Qt's libraries and runs the PDF WRITER program for its
# report only, from beside itself or from RELATIVE-DIR (relative to its
# folder, as an installation lays them out); without the writer, the report
# fails saying where it looked, and writes nothing. A writer that fails has
# its reason reported, and one that ends before reading the pages does not
# take zvonar-cli down with it. With SHARED (zvonar-cli linked statically),
# export-xlsx runs in that companion program from the same places, on the
# same data directory, and bills in UTF-8 and UTF-16 still import.
set -euo pipefail
cli=$1 writer=$2 reldir=$3 shared=${4:-}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "failed: $*"; exit 1; }

if readelf -d "$cli" | grep -q 'NEEDED.*libQt'; then
  fail "zvonar-cli needs Qt's libraries at start: $(readelf -d "$cli" | grep -o 'libQt[^]]*' | tr '\n' ' ')"
fi

mkdir -p "$dir/alone" "$dir/beside" "$dir/installed/bin" "$dir/installed/bin/$reldir" "$dir/data"
cp "$cli" "$dir/alone/"
cp "$cli" "$writer" "$dir/beside/"
cp "$cli" "$dir/installed/bin/"
cp "$writer" "$dir/installed/bin/$reldir/"
printf '79001\t2024.03.01 10:00:00\t79031112233\tAbonent\t1\t1\t60\t1\t1.50\t\t1.50\t\n' >"$dir/rows.tsv"
"$cli" --dir "$dir/data" load-tsv "$dir/rows.tsv" >/dev/null

code=0
"$dir/alone/zvonar-cli" --dir "$dir/data" report --pdf "$dir/alone.pdf" >"$dir/out" 2>"$dir/err" || code=$?
[ "$code" = 1 ] || fail "the report without its writer exited with $code"
grep -q "helper program zvonar-report-pdf is neither in $dir/alone nor in" "$dir/err" || fail "unexpected message: $(cat "$dir/err")"
[ ! -e "$dir/alone.pdf" ] || fail "the report without its writer wrote a file"

for layout in beside installed/bin; do
  "$dir/$layout/zvonar-cli" --dir "$dir/data" report --pdf "$dir/report.pdf" >"$dir/out" 2>"$dir/err" ||
    fail "the report with the writer $layout failed: $(cat "$dir/err")"
  grep -q "^1 page written to" "$dir/out" || fail "unexpected output: $(cat "$dir/out")"
  [ "$(head -c 5 "$dir/report.pdf")" = "%PDF-" ] || fail "the report with the writer $layout is not a PDF"
  rm "$dir/report.pdf"
done

# A PDF that cannot be written: the writer's reason, exit 1.
code=0
"$dir/beside/zvonar-cli" --dir "$dir/data" report --pdf "$dir/no/such/folder/report.pdf" >"$dir/out" 2>"$dir/err" || code=$?
[ "$code" = 1 ] || fail "a report into a missing folder exited with $code"
grep -q "report.pdf" "$dir/err" || fail "a report into a missing folder said: $(cat "$dir/err")"

# A writer that ends at once, without reading, and one killed by a signal.
for body in 'exit 3' 'kill -9 $$'; do
  printf '#!/bin/sh\n%s\n' "$body" >"$dir/beside/zvonar-report-pdf"
  code=0
  "$dir/beside/zvonar-cli" --dir "$dir/data" report --pdf "$dir/report.pdf" >"$dir/out" 2>"$dir/err" || code=$?
  [ "$code" = 1 ] || fail "a report whose writer runs '$body' exited with $code"
  grep -Eq "PDF writer (failed with exit code 3|was killed by signal 9)" "$dir/err" ||
    fail "a report whose writer runs '$body' said: $(cat "$dir/err")"
done

if [ -n "$shared" ]; then
  [ -z "$(readelf -d "$cli" | grep NEEDED)" ] || fail "zvonar-cli is not linked statically"
  rm -f "$dir/beside/zvonar-report-pdf"
  code=0
  "$dir/alone/zvonar-cli" --dir "$dir/data" export-xlsx "$dir/calls.xlsx" >"$dir/out" 2>"$dir/err" || code=$?
  [ "$code" = 1 ] || fail "export-xlsx without its companion exited with $code"
  grep -q "helper program zvonar-cli-shared is neither in $dir/alone nor in" "$dir/err" ||
    fail "unexpected message: $(cat "$dir/err")"
  cp "$shared" "$dir/beside/"
  cp "$shared" "$dir/installed/bin/$reldir/"
  for layout in beside installed/bin; do
    # From another folder, so that the companion cannot find the data
    # directory except through the one it is given.
    (cd "$dir" && "$dir/$layout/zvonar-cli" --dir "$dir/data" export-xlsx calls.xlsx --owner 79001 >"$dir/out" 2>"$dir/err") ||
      fail "export-xlsx with the companion $layout failed: $(cat "$dir/err")"
    grep -q "^1 row written to calls.xlsx" "$dir/out" || fail "unexpected output of export-xlsx: $(cat "$dir/out")"
    [ "$(head -c 2 "$dir/calls.xlsx")" = PK ] || fail "export-xlsx with the companion $layout wrote no spreadsheet"
    rm "$dir/calls.xlsx"
  done
  # The static program decodes UTF-8 and UTF-16 bills with the C library's
  # built-in converters, which need no module loaded.
  bill=$(dirname "$0")/../../examples/bill-2008-03.txt
  for encoding in UTF-8 UTF-16; do
    mkdir "$dir/$encoding"
    iconv -f CP1251 -t "$encoding" "$bill" >"$dir/$encoding/bill.txt"
    "$cli" --dir "$dir/$encoding" import "$dir/$encoding/bill.txt" >"$dir/out" 2>"$dir/err" ||
      fail "the static program could not import a $encoding bill: $(cat "$dir/err")"
    "$cli" --dir "$dir/$encoding" dump | cut -f 4 | grep -q "абонентская плата" ||
      fail "the $encoding bill's Cyrillic texts did not come through"
  done
fi
echo "ok"
