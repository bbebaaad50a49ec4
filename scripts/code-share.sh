#!/usr/bin/env bash
# Counts code lines (neither blank nor comment) per folder: product, tests (test
# helpers named *_test_util too) and the test doubles and tools under tools/,
# so the share of tests stays visible.
set -eu
cd "$(git rev-parse --show-toplevel)"
test_re='(^|/)(tests?|testing)/|_test\.|_unittest\.|_fuzzer\.|_test_util\.|test_[^/]*\.py$|_tests?\.py$'
git ls-files | grep -E '\.(c|cc|cpp|cxx|h|hh|hpp|py|rc|cmake)$|CMakeLists\.txt$' |
  grep -v -E '(^|/)(build|out|third_party)/' | while read -r f; do
  [ -f "$f" ] || continue
  n=$(grep -c -v -E '^\s*(//.*|#.*)?$' "$f" || true)
  if [[ $f == tools/* ]]; then kind=tools; folder=$(cut -d/ -f1-2 <<<"$f")
  elif grep -q -E "$test_re" <<<"$f"; then kind=tests; folder=${f%%/*}
  else kind=product; folder=${f%%/*}; fi
  [[ $f == */* ]] || folder=.
  echo "$kind $folder $n"
done | awk '
  { sum[$1" "$2] += $3; total[$1] += $3; folders[$2] = 1 }
  END {
    printf "%-28s %8s %8s %8s\n", "folder", "product", "tests", "tools"
    for (f in folders)
      printf "%-28s %8d %8d %8d\n", f, sum["product " f], sum["tests " f], sum["tools " f] | "sort"
    close("sort")
    printf "%-28s %8d %8d %8d\n", "total", total["product"], total["tests"], total["tools"]
    printf "tests are %d%% of the code, %.2fx the product\n",
      100 * total["tests"] / (total["tests"] + total["product"]), total["tests"] / total["product"]
  }'
