#!/usr/bin/env bash
# Installs the Debian packages the project needs that are not there yet.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  # native build and tests
  cmake g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
  # the demo dictionary's data
  unicode-data opencc libopencc-data bzip2
  # the Windows programs and their tests in real windows
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 wine fonts-wine xvfb fonts-noto-cjk
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${missing[@]}"
