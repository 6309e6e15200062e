#!/usr/bin/env bash
# report_module_check.sh ZVONAR-CLI MODULE RELATIVE-DIR: zvonar-cli starts
# without Qt's libraries and loads the PDF writer MODULE for its report only,
# from beside the program or from RELATIVE-DIR (relative to the program's
# folder, as an installation lays them out); without the module, the report
# fails saying where it looked, and writes nothing.
set -euo pipefail
cli=$1 module=$2 reldir=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "failed: $*"; exit 1; }

if readelf -d "$cli" | grep -q 'NEEDED.*libQt'; then
  fail "zvonar-cli needs Qt's libraries at start: $(readelf -d "$cli" | grep -o 'libQt[^]]*' | tr '\n' ' ')"
fi

mkdir -p "$dir/alone" "$dir/beside" "$dir/installed/bin" "$dir/installed/bin/$reldir" "$dir/data"
cp "$cli" "$dir/alone/"
cp "$cli" "$module" "$dir/beside/"
cp "$cli" "$dir/installed/bin/"
cp "$module" "$dir/installed/bin/$reldir/"
printf '79001\t2024.03.01 10:00:00\t79031112233\tAbonent\t1\t1\t60\t1\t1.50\t\t1.50\t\n' >"$dir/rows.tsv"
"$cli" --dir "$dir/data" load-tsv "$dir/rows.tsv" >/dev/null

code=0
"$dir/alone/zvonar-cli" --dir "$dir/data" report --pdf "$dir/alone.pdf" >"$dir/out" 2>"$dir/err" || code=$?
[ "$code" = 1 ] || fail "the report without its module exited with $code"
grep -q "zvonar-report-pdf.so is neither in $dir/alone nor in" "$dir/err" || fail "unexpected message: $(cat "$dir/err")"
[ ! -e "$dir/alone.pdf" ] || fail "the report without its module wrote a file"

for layout in beside installed/bin; do
  "$dir/$layout/zvonar-cli" --dir "$dir/data" report --pdf "$dir/report.pdf" >"$dir/out" 2>"$dir/err" ||
    fail "the report with the module $layout failed: $(cat "$dir/err")"
  grep -q "^1 page written to" "$dir/out" || fail "unexpected output: $(cat "$dir/out")"
  [ "$(head -c 5 "$dir/report.pdf")" = "%PDF-" ] || fail "the report with the module $layout is not a PDF"
  rm "$dir/report.pdf"
done
echo "ok"
