#!/usr/bin/env bash
# Builds the Windows programs (Tunavo.exe, QevoConfig.exe, archsetup.exe,
# tunavo-cli.exe, qevoconfig-cli.exe) for both targets with MinGW-w64:
#
#   build/mingw-i686   32-bit programs, for 32- and 64-bit Windows
#   build/mingw-x64    64-bit programs, for 64-bit Windows
#
# then checks that no MinGW runtime DLL is needed beside them, and with
# --package makes both release zips and checks what they hold:
#   build/mingw-i686/taliq-tools-VERSION-win32.zip
#   build/mingw-x64/taliq-tools-VERSION-win64.zip
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
  for exe in freqtool/win/Tunavo.exe settings/win/QevoConfig.exe launcher/win/archsetup.exe \
      cli/tunavo-cli.exe cli/qevoconfig-cli.exe; do
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
  # What a release zip holds, below its top folder.
  expected=$(printf '%s\n' QevoConfig.exe README.txt Tunavo.exe archsetup.exe \
    qevoconfig-cli.exe tunavo-cli.exe)
  for preset in mingw-i686 mingw-x64; do
    dir="build/$preset"
    rm -f "$dir"/taliq-tools-*.zip
    (cd "$dir" && cpack >/dev/null)
    zip=$(ls "$dir"/taliq-tools-*.zip)
    # cmake lists a zip's members (cmake -E tar tf), one path a line.
    held=$(cd "$dir" && cmake -E tar tf "$(basename "$zip")" | sed -n 's|^[^/]*/\(..*\)$|\1|p' | sort)
    if [ "$held" != "$expected" ]; then
      echo "$zip holds:" >&2; echo "$held" >&2; exit 1
    fi
    echo "$zip"
  done
fi
