#!/usr/bin/env bash
# Installs what is missing, builds, and shows the settings the tool starts with.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
./build/src/cli/pagerprog-cli show
