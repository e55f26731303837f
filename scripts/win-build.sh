#!/usr/bin/env bash
# Builds the three Windows programs (Tunavo.exe, QevoConfig.exe,
# archsetup.exe) for both targets with MinGW-w64:
#
#   build/mingw-i686   the release: 32-bit programs for 32- and 64-bit Windows
#   build/mingw-x64    64-bit programs, run by the end-to-end tests (wine64)
#
# then checks that no MinGW runtime DLL is needed beside them, and with
# --package makes the release zip (build/mingw-i686/taliq-tools-*-win32.zip).
#
#   scripts/win-build.sh [--package] [--jobs N]
set -euo pipefail
cd "$(dirname "$0")/.."

package=0
jobs=$(nproc)
while [ $# -gt 0 ]; do
  case "$1" in
    --package) package=1; shift ;;
    --jobs) jobs="$2"; shift 2 ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

# The DLLs every Windows has; anything else (libstdc++-6.dll,
# libgcc_s_*.dll, libwinpthread-1.dll) would have to ship beside the
# programs.
system_dlls='^(kernel32|user32|gdi32|shell32|comctl32|ole32|advapi32|msvcrt|version)\.dll$'

for preset in mingw-i686 mingw-x64; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  dir="build/$preset"
  case "$preset" in
    mingw-i686) objdump=i686-w64-mingw32-objdump; format=pei-i386 ;;
    *) objdump=x86_64-w64-mingw32-objdump; format=pei-x86-64 ;;
  esac
  for exe in freqtool/win/Tunavo.exe settings/win/QevoConfig.exe launcher/win/archsetup.exe; do
    info=$("$objdump" -p "$dir/$exe")
    if ! grep -q "file format $format" <<<"$info"; then
      echo "$dir/$exe is not $format" >&2; exit 1
    fi
    extra=$(sed -n 's/^\s*DLL Name: //p' <<<"$info" | tr 'A-Z' 'a-z' | grep -Ev "$system_dlls" || true)
    if [ -n "$extra" ]; then
      echo "$dir/$exe needs DLLs beside it: $extra" >&2; exit 1
    fi
    echo "$dir/$exe"
  done
done

if [ $package -eq 1 ]; then
  (cd build/mingw-i686 && cpack >/dev/null)
  ls build/mingw-i686/taliq-tools-*-win32.zip
fi
