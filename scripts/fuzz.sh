#!/usr/bin/env bash
# Builds the libFuzzer harnesses and runs one (or each) for a while:
#   scripts/fuzz.sh [TARGET] [SECONDS]        (default: every harness, 60 s each)
# New inputs go to build/fuzz/fuzz_corpus/TARGET; inputs that break a
# harness to build/fuzz/fuzz_findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-}
seconds=${2:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
targets=$target
[ -n "$targets" ] || targets=$(cd build/fuzz/bin && ls -- *_fuzzer)
status=0
for name in $targets; do
  corpus=build/fuzz/fuzz_corpus/$name
  mkdir -p "$corpus" build/fuzz/fuzz_findings
  echo "== $name, ${seconds} s"
  log=build/fuzz/fuzz_findings/$name.log
  build/fuzz/bin/"$name" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix=build/fuzz/fuzz_findings/"$name"- \
    "$corpus" tests/fuzz_corpus/"$name" >"$log" 2>&1 || { status=1; cat "$log"; }
  grep -E '^#[0-9]+\s+DONE|^stat::(number_of_executed_units|peak_rss_mb)' "$log" || true
done
exit $status
