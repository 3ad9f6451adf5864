#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer
# on), replays each target's corpus in tests/fuzz/corpus, then fuzzes each target for
# SECONDS (default 20) from a copy of its corpus, so the tree's corpus stays as it is, as
# many targets at once as there are cores.
# Usage: tools/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then targets=(settings_file codec model_events usb_replies report_descriptor); fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAGERPROG_FUZZ=ON \
  -DPAGERPROG_BUILD_GUI=OFF -DPAGERPROG_BUILD_TESTS=OFF -DPAGERPROG_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_targets

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
  corpus="tests/fuzz/corpus/$target"
  echo "== $target: replaying $(ls "$corpus" | wc -l) corpus inputs"
  "build-fuzz/tests/fuzz/fuzz_$target" -runs=0 "$corpus"
done
((seconds > 0)) || exit 0

# One fuzzer a core at a time; each keeps its output, and a failing input is left in the
# current folder as TARGET-crash-... (or -leak-, -timeout-, -oom-).
fuzz() {
  local target="$1"
  mkdir -p "$work/$target"
  cp "tests/fuzz/corpus/$target"/* "$work/$target/"
  "build-fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="./$target-" "$work/$target" >"$work/$target.log" 2>&1
}
declare -A job
for target in "${targets[@]}"; do
  while (($(jobs -rp | wc -l) >= $(nproc))); do wait -n || true; done
  fuzz "$target" &
  job[$target]=$!
done
failed=0
for target in "${targets[@]}"; do
  status=0
  wait "${job[$target]}" || status=$?
  echo "== $target: fuzzed for $seconds s"
  grep -E "^(stat::number_of_executed_units|Done|==[0-9]+==ERROR|SUMMARY)" "$work/$target.log" || true
  if ((status != 0)); then
    echo "fuzzing $target found a failure:"
    tail -n 40 "$work/$target.log"
    failed=1
  fi
done
exit "$failed"
