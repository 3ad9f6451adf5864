#!/usr/bin/env bash
# Runs a window test on a virtual X display under a real window manager (openbox), which frames
# and places windows as a technician's desktop does: what the offscreen platform cannot show.
# Exit status 77 (skipped) when Xvfb or openbox is not installed.
set -euo pipefail
if ! command -v Xvfb >/dev/null || ! command -v openbox >/dev/null; then
  echo "Xvfb or openbox is not installed: skipped"
  exit 77
fi
work=$(mktemp -d)
pids=()
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap finish EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
openbox --sm-disable --startup "touch $work/ready" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "$work/ready" ] && break; sleep 0.1; done
[ -e "$work/ready" ] || { echo "the window manager did not start"; exit 1; }
# Under the sanitizers: the X11 platform's D-Bus library keeps a buffer to the end, which is
# not this program's leak.
echo "leak:libdbus-1.so" >"$work/lsan.supp"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$work/lsan.supp"
QT_QPA_PLATFORM=xcb "$@"
