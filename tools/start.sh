#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window program with a simulated USB
# programmer attached, so the whole tool can be tried without hardware. Without a
# display it runs on a virtual one (Xvfb) and saves a screenshot of the window instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target pagerprog pagerprog-cli guide icons

program=./build/bin/pagerprog
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$program" --simulate usb
fi

# No display: a virtual 1366x768 screen on the first free display number.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d)"  # mode 0700, as Qt wants it
  export XDG_RUNTIME_DIR
fi
echo "No display: running pagerprog on a virtual screen for a few seconds."
DISPLAY=":$display" "$program" --simulate usb --screenshot "$PWD/build/pagerprog-window.png"
