#!/usr/bin/env bash
# Opens Tunavo.exe (or QevoConfig.exe) on the demo installation under Wine,
# in the Linux desktop's own X session.
#
#   scripts/win-open-demo.sh [--qevoconfig] [--prefix DIR] [ARGS...]
#
# ARGS go to the program (Tunavo: e.g. "1 x6010" opens 繁體 with code 6010).
# The first run builds the 64-bit programs (wine64 runs no 32-bit ones
# here), the demo installation and a Wine prefix of its own (default
# build/wine-demo, with CJK fonts set up); later runs reuse them. Saves
# change the demo dictionaries inside that prefix only.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program=Tunavo
prefix="$root/build/wine-demo"
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --qevoconfig) program=QevoConfig; shift ;;
    --prefix) prefix="$2"; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    *) args+=("$1"); shift ;;
  esac
done
if [ -z "${DISPLAY:-}" ]; then
  echo "No X display (DISPLAY is empty): run this from a desktop session." >&2
  exit 1
fi

build="$root/build/mingw-x64"
if [ ! -f "$build/freqtool/win/Tunavo.exe" ] || [ ! -f "$build/settings/win/QevoConfig.exe" ]; then
  echo "Building the 64-bit programs..."
  (cd "$root" && cmake --preset mingw-x64 >/dev/null && cmake --build --preset mingw-x64 -j"$(nproc)" >/dev/null)
fi

# shellcheck source=tests/e2e/wine-env.sh
source "$root/tests/e2e/wine-env.sh"
export WINEPREFIX="$prefix"
wine_exports
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX (takes a minute)..."
  wine_prefix_init
fi

# Both installed copies, the first below "Program Files (x86)", as on a
# 64-bit Windows.
wine_set_program_files 'C:\Program Files (x86)'
if [ ! -f "$WINEPREFIX/drive_c/Program Files (x86)/lurm/rozevuv_cht/mb/cht/lurm2008.idx" ]; then
  echo "Writing the demo installation..."
  "$root/demo/make_demo.sh" --root "$WINEPREFIX/drive_c" >/dev/null
fi

mkdir -p "$WINEPREFIX/drive_c/taliq"
cp "$build/freqtool/win/Tunavo.exe" "$build/settings/win/QevoConfig.exe" "$WINEPREFIX/drive_c/taliq/"
exec "$WINE_LOADER" "C:\\taliq\\$program.exe" "${args[@]}"
