#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer
# on), replays each target's corpus in tests/fuzz/corpus, then fuzzes each target for
# SECONDS (default 20) from a copy of its corpus, so the tree's corpus stays as it is.
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
  if ((seconds > 0)); then
    mkdir -p "$work/$target"
    cp "$corpus"/* "$work/$target/"
    echo "== $target: fuzzing for $seconds s"
    "build-fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 "$work/$target" 2>&1 |
      grep -E "^(stat::number_of_executed_units|Done|==[0-9]+==ERROR|SUMMARY)" || true
    # A crash ends libFuzzer with a non-zero status and leaves a crash- file here.
    if ls crash-* leak-* timeout-* oom-* >/dev/null 2>&1; then echo "fuzzing $target found a failure"; exit 1; fi
  fi
done
