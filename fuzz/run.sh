#!/usr/bin/env bash
# fuzz/run.sh [SECONDS]: builds the bill-import fuzz target with Debian's
# clang and libFuzzer (installing them when missing) into build-fuzz/, feeds
# it the hostile files a user could pick (binary garbage, a 50 MB single
# line, truncated and UTF-8 bills), then fuzzes for SECONDS (default 600)
# from the sample bills. Kept out of the CMake build, so CI needs no clang.
set -euo pipefail
seconds=${1:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-fuzz
if ! command -v clang++-14 >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "install ok installed"; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends clang-14 libclang-rt-14-dev
fi
mkdir -p "$out/corpus" "$out/hostile"

sources=(
  base/Status.cpp base/Cp1251.cpp base/TextFile.cpp config/RegisterFields.cpp
  import/TextUtils.cpp import/NumberText.cpp import/NameValueList.cpp import/AbonentLookup.cpp import/Times.cpp
  import/BillText.cpp import/DetalizationParser.cpp import/MonthSummary.cpp
  store/DateTimeField.cpp
)
(cd "$root" && clang++-14 -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I. "${sources[@]}" fuzz/ParserFuzz.cpp -o "$out/parser_fuzz")

# Seeds: each sample bill as a text, an HTML and another file type.
for f in "$root"/examples/bill-*; do
  for flag in '\x00' '\x01' '\x2e' '\x1d'; do
    { printf "$flag"; cat "$f"; } >"$out/corpus/$(basename "$f")-$(printf '%s' "$flag" | tr -d '\\')"
  done
done

# Files a user could pick by mistake; each must finish quickly and cleanly.
head -c 5000000 /dev/urandom >"$out/hostile/garbage"
{ printf '\x00'; head -c 52428800 /dev/zero | tr '\0' '1'; } >"$out/hostile/digits-line"
{ printf '\x00'; (set +o pipefail; yes '01.03.2008 12:00:00 4951234567' | head -c 52428800 | tr '\n' ' '); } >"$out/hostile/words-line"
{ printf '\x02'; head -c 52428800 /dev/zero | tr '\0' '<'; } >"$out/hostile/tags-line"
bill=$root/examples/bill-2008-03.txt
{ printf '\x00'; head -c $(($(stat -c %s "$bill") / 2)) "$bill"; } >"$out/hostile/truncated"
{ printf '\x00'; iconv -f cp1251 -t utf-8 "$bill"; } >"$out/hostile/utf8"
{ printf '\x01'; iconv -f cp1251 -t utf-16 "$root/examples/bill-2008-03.html"; } >"$out/hostile/utf16"
for f in "$out"/hostile/*; do
  start=$(date +%s.%N)
  "$out/parser_fuzz" -rss_limit_mb=2048 "$f" >/dev/null 2>"$out/hostile.log" || { cat "$out/hostile.log" >&2; exit 1; }
  echo "hostile $(basename "$f") $(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }') s"
done

"$out/parser_fuzz" -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  "$out/corpus" 2>&1 | tail -25
