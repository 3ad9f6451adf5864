#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything with warnings as
# errors and runs every test; builds the Debian package, checks it with lintian,
# desktop-file-validate and appstreamcli, and runs the programs from the unpacked package;
# then builds and runs every test again under AddressSanitizer and UndefinedBehaviorSanitizer;
# then replays the fuzz corpus and fuzzes each libFuzzer target for a short while. The
# production record's tests run on a file and on a throwaway PostgreSQL cluster that ctest
# starts and removes (tools/test-postgres.sh); should ctest itself be cut short, the exit
# removes what is left of it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
trap 'for build in build build-sanitize; do bash tools/test-postgres.sh stop "$build/test-postgres"; done' EXIT
jobs="$(nproc)"
# Each phase prints how long the run has taken so far, so a slow CI run shows where.
phase() { echo "==> $1 (at ${SECONDS} s)"; }

phase "formatting"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

phase "build and tests"
# Line tables (-g1) are all a backtrace or a sanitizer report needs; full debug information
# made a third of the optimised build's time, and the package is stripped anyway.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  -DPAGERPROG_WERROR=ON -DCMAKE_INSTALL_PREFIX=/usr
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

phase "package"
bash tools/check-package.sh build

phase "sanitizer build and tests"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g1" -DPAGERPROG_WERROR=ON \
  -DPAGERPROG_SANITIZE=ON -DPAGERPROG_BUILD_BENCH=OFF
cmake --build build-sanitize -j"$jobs"
ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

phase "fuzzing"
bash tools/fuzz.sh "${PAGERPROG_FUZZ_SECONDS:-20}"
phase "done"
