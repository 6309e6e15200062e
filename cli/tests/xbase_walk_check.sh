#!/usr/bin/env bash
# xbase_walk_check.sh ZVONAR-CLI: builds a table with zvonar-cli through the
# changes that rewrite the index in place (small appends between existing
# keys, deletes, records brought back by undo, an undone append, a fill) and
# after each one walks every tag with Debian's XBase::Index
# (xbase_index_check.pl), a dBase library that shares no code with ours.
# Exit 77 (skipped) only when the Perl XBase modules are missing, and never
# under CI (CI=true), where a missing reader is a failure.
set -euo pipefail
cli=$1
here=$(cd "$(dirname "$0")" && pwd)
if ! perl -MXBase -MXBase::Index -e 1 2>/dev/null; then
  if [ "${CI:-}" = true ]; then
    echo "failed: Perl's XBase modules are not installed (scripts/install-deps.sh installs libdbd-xbase-perl)"
    exit 1
  fi
  echo "skipped: Perl's XBase modules (libdbd-xbase-perl) are not installed"
  exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# rows FIRST COUNT OWNERS YEAR: COUNT records in the form dump prints, owners
# and times spread so that later batches fall between the keys already there.
rows() {
  local first=$1 count=$2 owners=$3 year=$4 i
  for ((i = first; i < first + count; ++i)); do
    printf '7916%07d\t%d.%02d.%02d %02d:%02d:%02d\t7903%07d\tabonent %d\tcode%d\ttype%d\t%d\t%d\t%d.%02d\t\t%d.%02d\t\n' \
      $((i * 7 % owners)) "$year" $((i % 12 + 1)) $((i % 28 + 1)) $((i % 24)) $((i * 13 % 60)) $((i % 60)) \
      $((i % 500)) "$i" $((i % 5)) $((i % 3)) $((i % 300)) $((i % 300 / 60 + 1)) $((i % 9)) $((i % 100)) \
      $((i % 9)) $((i % 100))
  done
}

# step WHAT: walks the index after WHAT; the index must still be the file
# the first load wrote, changed page by page rather than written anew.
step() {
  echo "== $1"
  perl "$here/xbase_index_check.pl" "$dir/Tellura.dbf" "$dir/Tellura.MDX"
  local now
  now=$(stat -c %i "$dir/Tellura.MDX")
  if [ -n "${inode:-}" ] && [ "$now" != "$inode" ]; then
    echo "the index was written anew instead of page by page"
    exit 1
  fi
  inode=$now
}

rows 0 3000 37 2023 > "$dir/base.tsv"
"$cli" --dir "$dir" load-tsv "$dir/base.tsv" > /dev/null
step "3000 records loaded at once"

for batch in 1 2 3 4 5 6 7 8; do
  rows $((10000 + batch * 100)) 60 41 2023 > "$dir/batch$batch.tsv"
  "$cli" --dir "$dir" load-tsv "$dir/batch$batch.tsv" > /dev/null
done
step "eight appends of 60 records between the keys already there"

"$cli" --dir "$dir" load-tsv "$dir/batch3.tsv" > /dev/null
"$cli" --dir "$dir" duplicates --delete > /dev/null
step "60 repeated records appended, then deleted as duplicates"

"$cli" --dir "$dir" undo > /dev/null
step "the deletion undone"

"$cli" --dir "$dir" undo > /dev/null
step "the repeated records' append undone"

"$cli" --dir "$dir" book set 79030000007 "Ivanov" > /dev/null
"$cli" --dir "$dir" fill-names > /dev/null
step "names filled from the abonents book"
