#!/usr/bin/env bash
# Installs the Debian packages the project needs that are not there yet, and
# sets up 32-bit Wine for the 32-bit programs' end-to-end tests. Safe to run
# again: it installs only what is missing, and when everything is there it
# only looks.
set -euo pipefail

packages=(
  # native build and tests
  cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
  # timing whole processes and their peak memory (bench/)
  hyperfine time
  # the demo dictionary's data
  unicode-data opencc libopencc-data bzip2
  # the Windows programs and their tests in real windows
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 wine fonts-wine xvfb fonts-noto-cjk
  # 32-bit Wine runs its i386 programs through this emulator where the
  # kernel does not run them itself
  qemu-user
)
# 32-bit Wine, for the 32-bit release (packages of the i386 architecture).
packages_i386=(wine32:i386 wine32-preloader:i386)
wine32_loader=/usr/lib/wine/wine

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

updated=0
apt_install() {
  echo "Installing: $*"
  if [ $updated -eq 0 ]; then
    $SUDO apt-get update -qq
    updated=1
  fi
  # Never by removing a package (the i386 ones could ask for that).
  $SUDO apt-get install -y -qq --no-remove "$@"
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture (32-bit Wine)"
  $SUDO dpkg --add-architecture i386
  updated=0
fi
missing=()
for p in "${packages_i386[@]}"; do
  installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"

# i386 programs (32-bit Wine's loader) run either by the kernel or, where it
# refuses them, by qemu-i386 registered with binfmt_misc (not kept across
# reboots: this script registers it again).
i386_runs() {
  [ -x "$wine32_loader" ] && "$wine32_loader" --version >/dev/null 2>&1
}
register_qemu_i386() {
  local binfmt=/proc/sys/fs/binfmt_misc
  [ -e "$binfmt/qemu-i386" ] && return 0
  echo "Registering qemu-i386 for i386 programs (binfmt_misc)"
  if [ ! -e "$binfmt/register" ]; then
    $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
  fi
  # ELF, 32-bit, little-endian, executable or shared object, machine 3
  # (i386): the usual magic and mask of qemu's binfmt set-up. "F" opens the
  # emulator at once, so that it serves every mount namespace.
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
    | $SUDO tee "$binfmt/register" >/dev/null
}
if ! i386_runs; then
  register_qemu_i386
  if ! i386_runs; then
    echo "32-bit Wine ($wine32_loader) does not run: neither the kernel nor qemu-i386 runs i386 programs here" >&2
    exit 1
  fi
fi
