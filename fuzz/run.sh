#!/usr/bin/env bash
# fuzz/run.sh NAME [SECONDS]: builds the fuzz target NAME with Debian's clang
# and libFuzzer (installing them when missing) into build-fuzz/, seeds its
# corpus from the project's own files and fuzzes it for SECONDS (default
# 600) under the address and undefined-behaviour sanitizers, printing
# libFuzzer's final statistics. Without NAME it lists the targets. Kept out
# of the CMake build, so CI needs no clang.
#
# Findings go to build-fuzz/NAME/ (crash-*, leak-*, timeout-*, oom-*); the
# corpus grows in build-fuzz/NAME/corpus across runs; the whole log of the
# last run is build-fuzz/NAME/fuzz.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-fuzz

declare -A about=(
  [parser]="a bill (text or HTML) through the detalization parser and the month summary"
  [table]="a table and its index file opened, walked in every order and reopened"
  [ini]="settings.ini read, saved by the program and read again"
  [lang]="a language file loaded and shaped for every kind of caption"
  [tsv]="lines of load-tsv input through its record-line parser, and back through dump's form"
)
name=${1:-}
seconds=${2:-600}
if [ -z "$name" ] || [ -z "${about[$name]:-}" ]; then
  echo "usage: fuzz/run.sh NAME [SECONDS]; targets:" >&2
  for t in parser table ini lang tsv; do printf '  %-7s %s\n' "$t" "${about[$t]}" >&2; done
  exit 2
fi

if ! command -v clang++-14 >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "install ok installed"; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends clang-14 libclang-rt-14-dev
fi

base=(base/Status.cpp base/Cp1251.cpp base/TextFile.cpp base/DiskSteps.cpp)
mapfile -t store < <(cd "$root" && ls store/*.cpp)
case $name in
  parser)
    sources=("${base[@]}" config/RegisterFields.cpp import/TextUtils.cpp import/NumberText.cpp
      import/NameValueList.cpp import/AbonentLookup.cpp import/Times.cpp import/BillText.cpp
      import/DetalizationParser.cpp import/MonthSummary.cpp store/DateTimeField.cpp fuzz/ParserFuzz.cpp) ;;
  table) sources=("${base[@]}" "${store[@]}" fuzz/TableFuzz.cpp) ;;
  ini)
    sources=("${base[@]}" import/TextUtils.cpp import/NumberText.cpp config/IniFile.cpp config/FileStamp.cpp
      config/MainSettings.cpp fuzz/IniFuzz.cpp) ;;
  lang) sources=("${base[@]}" config/LanguageFile.cpp config/AddedTexts.cpp fuzz/LangFuzz.cpp) ;;
  tsv) sources=("${base[@]}" "${store[@]}" cli/RecordLine.cpp fuzz/TsvFuzz.cpp) ;;
esac
dir=$out/$name
rm -rf "$dir/seeds"
mkdir -p "$dir/corpus" "$dir/seeds"
(cd "$root" && clang++-14 -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I. "${sources[@]}" -lxxhash -o "$out/${name}_fuzz")

# zvonar-cli for the seed tables: ZVONAR_CLI, else a build of the tree,
# else a headless build made here.
find_cli() {
  for cli in "${ZVONAR_CLI:-}" "$root/build/cli/zvonar-cli" "$root/build-fuzz/cli-build/cli/zvonar-cli"; do
    if [ -n "$cli" ] && [ -x "$cli" ]; then
      echo "$cli"
      return
    fi
  done
  bash "$root/scripts/build.sh" "$out/cli-build" -DCMAKE_BUILD_TYPE=Release -DZVONAR_GUI=OFF >"$out/cli-build.log" 2>&1 ||
    { cat "$out/cli-build.log" >&2; exit 1; }
  echo "$out/cli-build/cli/zvonar-cli"
}

# The separator TableFuzz.cpp splits an input at: table bytes, then index bytes.
mdx_separator=$'\n==MDX==\n'
# A seed of the table target from the table in data directory $1.
table_seed() {
  { cat "$1/Tellura.dbf"; printf '%s' "$mdx_separator"; cat "$1/Tellura.MDX"; } >"$2"
}

seed_table() {
  local cli tmp
  cli=$(find_cli)
  tmp=$(mktemp -d)
  "$cli" --dir "$tmp/empty" dump >/dev/null
  table_seed "$tmp/empty" "$dir/seeds/empty"
  "$cli" --dir "$tmp/sample" load-tsv "$root/examples/sample-records.tsv"
  table_seed "$tmp/sample" "$dir/seeds/sample"
  cp "$tmp/sample/Tellura.dbf" "$dir/seeds/sample-without-index"
  # Records a killed writer left past the counted ones (the count lowered by 3).
  cp "$tmp/sample/Tellura.dbf" "$tmp/uncounted.dbf"
  printf '\x15\x00\x00\x00' | dd of="$tmp/uncounted.dbf" bs=1 seek=4 conv=notrunc status=none
  { cat "$tmp/uncounted.dbf"; printf '%s' "$mdx_separator"; cat "$tmp/sample/Tellura.MDX"; } >"$dir/seeds/uncounted"
  # Enough records for branch nodes in both tags.
  for _ in 1 2 3; do "$cli" --dir "$tmp/sample" load-tsv "$root/examples/sample-records.tsv"; done
  table_seed "$tmp/sample" "$dir/seeds/sample-x4"
  rm -rf "$tmp"
}

seed_parser() {
  # Each sample bill as a text, an HTML and another file type.
  for f in "$root"/examples/bill-*; do
    for flag in '\x00' '\x01' '\x2e' '\x1d'; do
      { printf "$flag"; cat "$f"; } >"$dir/seeds/$(basename "$f")-$(printf '%s' "$flag" | tr -d '\\')"
    done
  done
}

seed_ini() {
  ZVONAR_FUZZ_SEEDS=$dir/seeds "$out/ini_fuzz" >/dev/null 2>&1
  cp "$root/examples/abonents.dat" "$root/examples/codetype.dat" "$dir/seeds/"
}

seed_lang() {
  cp "$root"/lang/*.lng "$dir/seeds/"
}

seed_tsv() {
  local n=0
  while IFS= read -r line; do
    printf '%s' "$line" >"$dir/seeds/sample-$((n += 1))"
  done <"$root/examples/sample-records.tsv"
  cp "$root/examples/sample-records.tsv" "$dir/seeds/sample-all"
  printf '%s' $'own\\t1\t2024.03.01\tn\\\\1\ta\\nb\tc\\r\tt\t1\t2\t3.50\t\t3.50\tr\r\n' >"$dir/seeds/escapes"
  printf '%s' $'own\t2024.02.30 10:00:00\tn\ta\tc\tt\t1\t2\t3\t4\t5\tr' >"$dir/seeds/bad-date"
}

"seed_$name"

# Files a user could pick by mistake as a bill; each must finish quickly and cleanly.
if [ "$name" = parser ]; then
  mkdir -p "$dir/hostile"
  head -c 5000000 /dev/urandom >"$dir/hostile/garbage"
  { printf '\x00'; head -c 52428800 /dev/zero | tr '\0' '1'; } >"$dir/hostile/digits-line"
  { printf '\x00'; (set +o pipefail; yes '01.03.2008 12:00:00 4951234567' | head -c 52428800 | tr '\n' ' '); } >"$dir/hostile/words-line"
  { printf '\x02'; head -c 52428800 /dev/zero | tr '\0' '<'; } >"$dir/hostile/tags-line"
  bill=$root/examples/bill-2008-03.txt
  { printf '\x00'; head -c $(($(stat -c %s "$bill") / 2)) "$bill"; } >"$dir/hostile/truncated"
  { printf '\x00'; iconv -f cp1251 -t utf-8 "$bill"; } >"$dir/hostile/utf8"
  { printf '\x01'; iconv -f cp1251 -t utf-16 "$root/examples/bill-2008-03.html"; } >"$dir/hostile/utf16"
  for f in "$dir"/hostile/*; do
    start=$(date +%s.%N)
    "$out/parser_fuzz" -rss_limit_mb=2048 "$f" >/dev/null 2>"$dir/hostile.log" || { cat "$dir/hostile.log" >&2; exit 1; }
    echo "hostile $(basename "$f") $(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }') s"
  done
fi

max_len=16384
[ "$name" = table ] && max_len=65536
"$out/${name}_fuzz" -max_total_time="$seconds" -max_len=$max_len -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$dir/" "$dir/corpus" "$dir/seeds" 2>&1 | tee "$dir/fuzz.log" | tail -25
