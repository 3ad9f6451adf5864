#!/usr/bin/env bash
# Installs the Debian 12 packages pagerprog needs to build, test and run, when missing.
set -euo pipefail

packages=(g++ clang libclang-rt-14-dev cmake make pkg-config clang-format libgtest-dev sigrok-cli
          qt6-base-dev libhidapi-dev libudev-dev libsqlite3-dev libpq-dev postgresql libcsv-dev nlohmann-json3-dev
          libutfcpp-dev nettle-dev xvfb openbox mandoc librsvg2-bin udev dpkg-dev file lintian desktop-file-utils appstream
          zint cups-client ghostscript zbar-tools)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
