#!/usr/bin/env bash
# dbfread_check.sh ZVONAR-CLI: loads sample records with zvonar-cli, then
# checks that Debian's python3-dbfread reads the table back with the same
# texts and date-times that `zvonar-cli dump` shows, and that the index
# file's trees hold the records in key order. Exit 77 (skipped) only when
# /usr/bin/python3 or its dbfread module is missing, and never under CI
# (CI=true), where a missing reader is a failure.
set -euo pipefail
cli=$1
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
if [ ! -x "$py" ] || ! "$py" -c "import dbfread" 2>/dev/null; then
  if [ "${CI:-}" = true ]; then
    echo "failed: /usr/bin/python3 with dbfread is not installed (scripts/install-deps.sh installs it)"
    exit 1
  fi
  echo "skipped: /usr/bin/python3 with dbfread is not installed"
  exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

{
  printf '79161234567\t2024.03.15 14:30:05\t79031112233\tИван Петров\tc\\t1\tout\t61\t2\t1.50\t\t1.50\t\n'
  printf '79160000000\t2024.03.01\t0611\ta\\\\b \\n c\t\t\t\t\t0.00\t\t0.00\tМТС Беларусь\n'
  printf 'Ёлкин №5 €\t1999.12.31 23:59:59\t\t%s\tGPRS\tinternet\t0\t0\t12.30\t0.10\t12.40\tRoaming partner with a very long name that is cut\n' \
    "$(printf 'Щ%.0s' $(seq 1 60))"
  for i in $(seq 1 1500); do
    printf '7916%07d\t2023.%02d.%02d %02d:%02d:%02d\t%d\tabonent %d\tcode%d\ttype%d\t%d\t%d\t%d.%02d\t\t\t\n' \
      $((i % 37)) $((i % 12 + 1)) $((i % 28 + 1)) $((i % 24)) $((i % 60)) $((i * 7 % 60)) $i $i $((i % 5)) $((i % 3)) \
      $i $((i / 60)) $((i % 9)) $((i % 100))
  done
} > "$dir/sample.tsv"

"$cli" --dir "$dir" load-tsv "$dir/sample.tsv"
"$cli" --dir "$dir" dump > "$dir/engine.txt"
"$py" "$here/dbfread_dump.py" "$dir/Tellura.dbf" > "$dir/dbfread.txt"
if ! diff -u "$dir/engine.txt" "$dir/dbfread.txt" | head -20; then :; fi
cmp -s "$dir/engine.txt" "$dir/dbfread.txt"
lines=$(wc -l < "$dir/engine.txt")
[ "$lines" -eq 1503 ] || { echo "dump holds $lines records, expected 1503"; exit 1; }
echo "dbfread reads all $lines records as the program shows them"
"$py" "$here/mdx_check.py" "$dir/Tellura.dbf" "$dir/Tellura.MDX"
