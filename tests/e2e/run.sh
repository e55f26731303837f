#!/usr/bin/env bash
# The end-to-end tests of the Windows programs: Tunavo.exe, QevoConfig.exe
# and archsetup.exe (the x86_64 build) run in real windows under wine64 and
# Xvfb, driven by e2e-driver.exe through their controls.
#
#   tests/e2e/run.sh                       # builds both targets first (scripts/win-build.sh)
#   tests/e2e/run.sh --build-dir DIR [--release-dir DIR]
#                                          # uses existing x86_64 (and i686) builds
#   tests/e2e/run.sh [options] SCENARIO... # only these (see "e2e-driver.exe list")
#
# The i686 release programs are not run (32-bit programs need 32-bit Wine),
# but their resources are checked beside the x86_64 ones.
#
# Prints each scenario's result and a closing line "N passed, N failed";
# exits non-zero when any scenario failed or could not run.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"

build_dir=""
release_dir=""
scenarios=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir="$2"; shift 2 ;;
    --release-dir) release_dir="$2"; shift 2 ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) scenarios+=("$1"); shift ;;
  esac
done

if [ -z "$build_dir" ]; then
  build_dir="$root/build/mingw-x64"
  release_dir="$root/build/mingw-i686"
  "$root/scripts/win-build.sh" \
    || { echo "the Windows build failed"; echo "0 passed, 1 failed"; exit 1; }
fi
build_dir="$(cd "$build_dir" && pwd)"

programs=(
  "freqtool/win/Tunavo.exe"
  "settings/win/QevoConfig.exe"
  "launcher/win/archsetup.exe"
  "tests/e2e/e2e-driver.exe"
  "tests/e2e/msiexec-stub.exe"
)
for p in "${programs[@]}"; do
  if [ ! -f "$build_dir/$p" ]; then
    echo "missing $build_dir/$p"
    echo "0 passed, 1 failed"
    exit 1
  fi
done

# shellcheck source=tests/e2e/wine-env.sh
source "$here/wine-env.sh"
started=$(date +%s)
if ! wine_env_start; then
  echo "the Wine environment could not be set up"
  echo "0 passed, 1 failed"
  exit 1
fi
echo "Wine prefix and Xvfb ready after $(( $(date +%s) - started )) s (display $DISPLAY)"

target="$(wine_c_drive)/e2e"
mkdir -p "$target"
for p in "${programs[@]}"; do cp "$build_dir/$p" "$target/"; done
if [ -n "$release_dir" ]; then
  mkdir -p "$target/i686"
  for p in "${programs[@]:0:3}"; do cp "$release_dir/$p" "$target/i686/"; done
fi

# Each scenario with the locale it runs under: Wine takes the ANSI code page
# from it (here LC_ALL decides; LANG alone is not enough without the locale
# installed).
declare -A lang_of=()
all=()
while IFS=$'\t' read -r name lang; do
  [ -n "$name" ] || continue
  lang_of[$name]=$lang
  all+=("$name")
done < <(wine_run 60 'C:\e2e\e2e-driver.exe' list | tr -d '\r')
if [ ${#all[@]} -eq 0 ]; then
  echo "the driver listed no scenarios"
  echo "0 passed, 1 failed"
  exit 1
fi
[ ${#scenarios[@]} -eq 0 ] && scenarios=("${all[@]}")

passed=0
failed=0
failed_names=()
for s in "${scenarios[@]}"; do
  t0=$(date +%s)
  # Each scenario has its own time limit; the driver bounds every wait
  # inside it, this catches the driver itself hanging.
  lang="${lang_of[$s]:-en_US.UTF-8}"
  output=$(env -u LC_CTYPE LANG="$lang" LC_ALL="$lang" timeout -k 5 180 \
    "$WINE_LOADER" 'C:\e2e\e2e-driver.exe' "$s" 2>&1 | tr -d '\r')
  status=$?
  echo "$output" | grep -v '^$'
  if [ $status -eq 0 ] && echo "$output" | grep -qx "PASS $s"; then
    passed=$((passed + 1))
    echo "    ($(( $(date +%s) - t0 )) s)"
  else
    [ $status -eq 124 ] && echo "FAIL $s: killed after 180 s"
    failed=$((failed + 1))
    failed_names+=("$s")
  fi
done

echo "end-to-end suite took $(( $(date +%s) - started )) s"
[ $failed -gt 0 ] && echo "failed: ${failed_names[*]}"
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
