#!/usr/bin/env bash
# The layer check on small trees: an upward include fails it, a window's use
# of ui/ and includes within one layer pass.
set -euo pipefail
check=$(cd "$(dirname "$0")/.." && pwd)/check-layers.py
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{base,store,import,analysis,ui,books/tests}

printf '#include "base/Status.h"\n#include "import/TextUtils.h"\n' >"$tree/store/Table.cpp"
printf 'target_sources(gui PRIVATE\n  AbonentsBookForm.cpp\n)\n' >"$tree/books/CMakeLists.txt"
printf '#include "ui/Prompts.h"\n#include "analysis/FilterEngine.h"\n' >"$tree/books/AbonentsBookForm.cpp"
printf '#include "app/MainForm.h"\n' >"$tree/books/tests/AbonentsBookFormTest.cpp"
python3 "$check" "$tree" >/dev/null || { echo "a sound tree was refused"; exit 1; }

printf '#include "analysis/FilterEngine.h"\n' >"$tree/store/Bad.h"
if out=$(python3 "$check" "$tree" 2>/dev/null); then echo "store/ including analysis/ passed"; exit 1; fi
grep -q '^store/Bad.h:1: store/ (layer 1) includes analysis/ (layer 2)$' <<<"$out" || { echo "unexpected report: $out"; exit 1; }
rm "$tree/store/Bad.h"

printf '#include "ui/Prompts.h"\n' >"$tree/books/AbonentsBook.cpp"
if python3 "$check" "$tree" >/dev/null 2>&1; then echo "a logic file including ui/ passed"; exit 1; fi
echo "layer check: 3 trees judged right"
