#!/usr/bin/env bash
# Takes the screenshots in docs/screenshots/: both dialogs and both About
# boxes, shown by the x86_64 programs under wine64 and Xvfb on the demo
# installation, with the CJK fonts of the end-to-end setup.
#
#   scripts/win-screenshots.sh [--build-dir DIR] [--demo-build-dir DIR] [--out DIR]
#
# Needs ImageMagick (import) besides the end-to-end packages.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir=""
demo_build_dir="$root/build/dev"
out="$root/docs/screenshots"
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir="$2"; shift 2 ;;
    --demo-build-dir) demo_build_dir="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
command -v import >/dev/null || { echo "ImageMagick's import is needed (apt-get install imagemagick)" >&2; exit 1; }
if [ -z "$build_dir" ]; then
  (cd "$root" && cmake --preset mingw-x64 >/dev/null && cmake --build --preset mingw-x64 -j"$(nproc)" >/dev/null)
  build_dir="$root/build/mingw-x64"
fi
mkdir -p "$out"

# shellcheck source=tests/e2e/wine-env.sh
source "$root/tests/e2e/wine-env.sh"
wine_env_start
target="$(wine_c_drive)/e2e"
mkdir -p "$target"
cp "$build_dir/freqtool/win/Tunavo.exe" "$build_dir/settings/win/QevoConfig.exe" \
   "$build_dir/tests/e2e/e2e-driver.exe" "$target/"
wine_set_program_files 'C:\Program Files (x86)'
"$root/demo/make_demo.sh" --build-dir "$demo_build_dir" --root "$(wine_c_drive)" >/dev/null

# shot NAME POSE LOCALE: holds the pose's window open and grabs it.
shot() {
  local name=$1 pose=$2 locale=$3 log="$E2E_TMP/pose-$1.log" rect="" i
  env LANG="$locale" LC_ALL="$locale" timeout -k 5 90 "$WINE_LOADER" 'C:\e2e\e2e-driver.exe' pose "$pose" \
    >"$log" 2>&1 &
  local pid=$!
  for i in $(seq 1 300); do
    grep -q '^READY' "$log" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  rect=$(tr -d '\r' <"$log" | sed -n 's/^RECT //p')
  if [ -z "$rect" ]; then
    echo "pose $pose did not come up:" >&2; cat "$log" >&2; return 1
  fi
  read -r x y w h <<<"$rect"
  sleep 1  # let the window finish painting
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name.png"
  touch "$target/pose-done"
  wait "$pid" || true
  echo "$out/$name.png (${w}x${h})"
}

shot tunavo tunavo zh_TW.UTF-8
shot tunavo-about tunavo-about zh_TW.UTF-8
shot qevoconfig qevoconfig zh_TW.UTF-8
# A first run under code page 936: the default file of that code page.
find "$(wine_c_drive)/users" -maxdepth 4 -type d -name ZIRIZIR -exec rm -rf {} + 2>/dev/null || true
shot qevoconfig-936 qevoconfig zh_CN.UTF-8
shot qevoconfig-about qevoconfig-about zh_TW.UTF-8
