#!/usr/bin/env bash
# Builds the Debian package from a build folder configured with the /usr prefix, checks it
# as a distribution would (lintian, desktop-file-validate, appstreamcli), unpacks it into
# an empty folder and runs the installed programs from there: they must find their data
# beside themselves, never in the build tree.
set -euo pipefail
build="$(cd "${1:?usage: check-package.sh BUILD_FOLDER}" && pwd)"

rm -f "$build"/pagerprog_*.deb
(cd "$build" && cpack -G DEB)
deb="$(ls "$build"/pagerprog_*.deb)"
echo "== lintian $deb"
lintian --fail-on error,warning "$deb"

echo "== apt resolves its dependencies"
apt-get install --simulate "$deb" | grep '^Inst pagerprog ' >/dev/null

unpacked="$(mktemp -d)"
runtime="$(mktemp -d)"
trap 'rm -rf "$unpacked" "$runtime"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
test -f "$unpacked"/lib/udev/rules.d/70-pagerprog-programmer.rules || test -f "$unpacked"/usr/lib/udev/rules.d/70-pagerprog-programmer.rules
if grep -q --fixed-strings "$build" "$unpacked"/usr/bin/pagerprog "$unpacked"/usr/bin/pagerprog-cli; then
  echo "an installed program names the build folder" >&2
  exit 1
fi

echo "== the unpacked programs"
cli="$unpacked/usr/bin/pagerprog-cli"
"$cli" --version
"$cli" new -o "$unpacked/check.eep" address1=1234560 hellomsg1=Depot
# grep reads all the output: one that stopped at the match (-q) would leave the program a
# closed pipe to write to, failing it with SIGPIPE under pipefail.
"$cli" show "$unpacked/check.eep" | grep -x 'address1=1234560' >/dev/null
"$cli" --list-fields | grep -x 'hellomsg1' >/dev/null
XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen \
  "$unpacked/usr/bin/pagerprog" --simulate usb --screenshot "$unpacked/window.png" --delay 500 "$unpacked/check.eep"
test -s "$unpacked/window.png"
echo "== package checked: $deb"
