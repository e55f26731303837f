#!/usr/bin/env bash
# The end-to-end tests of the Windows programs, run on the release zips as
# they are shipped: each zip is unpacked into C:\e2e of a fresh Wine prefix,
# beside the driver of the same bitness (e2e-driver.exe, msiexec-stub.exe
# and planted.dll from build/mingw-x64 or build/mingw-i686), and every
# scenario drives the programs in real windows under Xvfb. The win64 zip
# runs under wine64, the win32 zip under 32-bit Wine in a 32-bit prefix
# (through qemu-user; scripts/install-deps.sh sets it up).
#
#   tests/e2e/run.sh                       # builds both targets and zips first
#                                          # (scripts/win-build.sh --package)
#   tests/e2e/run.sh --zip FILE [--zip FILE]...
#                                          # uses these zips (bitness read from them)
#   tests/e2e/run.sh [options] SCENARIO... # only these (see "e2e-driver.exe list")
#   E2E_KEEP=1 tests/e2e/run.sh ...        # keeps each prefix for a look
#
# The zips run side by side. Prints each scenario's result, a line per zip,
# and one closing line "N passed, N failed" over all zips; exits non-zero
# when any scenario failed or could not run.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"

zips=()
scenarios=()
while [ $# -gt 0 ]; do
  case "$1" in
    --zip) zips+=("$2"); shift 2 ;;
    -h|--help) sed -n '2,19p' "$0"; exit 0 ;;
    *) scenarios+=("$1"); shift ;;
  esac
done

if [ ${#zips[@]} -eq 0 ]; then
  if ! "$root/scripts/win-build.sh" --package; then
    echo "the Windows build failed"; echo "0 passed, 1 failed"; exit 1
  fi
  zips=("$root"/build/mingw-x64/taliq-tools-*-win64.zip "$root"/build/mingw-i686/taliq-tools-*-win32.zip)
fi

# The machine a PE program is built for: win32 (i386) or win64 (x86_64).
pe_kind() {
  local pe
  pe=$(od -An -tu4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$pe" ] || return 1
  case "$(od -An -tx2 -j $((pe + 4)) -N 2 "$1" | tr -d ' ')" in
    014c) echo win32 ;;
    8664) echo win64 ;;
    *) return 1 ;;
  esac
}

# The test programs of each bitness, from its build.
driver_dir_of() {
  case "$1" in
    win64) echo "$root/build/mingw-x64/tests/e2e" ;;
    win32) echo "$root/build/mingw-i686/tests/e2e" ;;
  esac
}
driver_files=(e2e-driver.exe msiexec-stub.exe planted.dll)
zip_programs=(Tunavo.exe QevoConfig.exe archsetup.exe)

# One zip's run, in a subshell of its own (own prefix, display and traps).
# Appends "passed failed" to $results; a run that could not start counts as
# one failure.
run_zip() {
  local zip=$1 results=$2
  local unpacked=""
  fail_setup() {
    echo "$*"; echo "0 1" >>"$results"
    [ -n "$unpacked" ] && rm -rf "$unpacked"
    exit 1
  }

  [ -f "$zip" ] || fail_setup "no zip $zip"
  # shellcheck source=tests/e2e/wine-env.sh
  source "$here/wine-env.sh"
  unpacked=$(mktemp -d "${TMPDIR:-/tmp}/taliq-zip.XXXXXX")
  (cd "$unpacked" && cmake -E tar xf "$zip") || fail_setup "could not unpack $zip"
  local top
  top=$(find "$unpacked" -mindepth 1 -maxdepth 1 -type d | head -n1)
  local p kind
  for p in "${zip_programs[@]}"; do
    [ -f "$top/$p" ] || fail_setup "$zip holds no $p"
  done
  kind=$(pe_kind "$top/Tunavo.exe") || fail_setup "$zip: Tunavo.exe is no Windows program"
  local drivers
  drivers=$(driver_dir_of "$kind")
  for p in "${driver_files[@]}"; do
    [ -f "$drivers/$p" ] || fail_setup "missing $drivers/$p (the $kind build's test programs)"
  done

  wine_use_arch "$kind"
  [ -x "$WINE_LOADER" ] || fail_setup "no $kind Wine ($WINE_LOADER): run scripts/install-deps.sh"
  echo "== $(basename "$zip"): $kind programs under $(basename "$WINE_LOADER")"

  local started
  started=$(date +%s)
  wine_env_start || fail_setup "the Wine environment could not be set up"
  echo "Wine prefix and Xvfb ready after $(( $(date +%s) - started )) s (display $DISPLAY)"

  # The zip's folder becomes C:\e2e, as unpacked; the driver joins it.
  local target
  target="$(wine_c_drive)/e2e"
  mv "$top" "$target" || fail_setup "could not move the programs into the prefix"
  rm -rf "$unpacked"
  for p in "${driver_files[@]}"; do cp "$drivers/$p" "$target/"; done

  # Each scenario with the locale it runs under: Wine takes the ANSI code
  # page from it (here LC_ALL decides; LANG alone is not enough without the
  # locale installed). Output goes to files, never pipes: a process the
  # driver started may outlive it and hold a pipe open.
  local out="$E2E_TMP/driver.out"
  declare -A lang_of=()
  local all=() name lang
  wine_run 60 'C:\e2e\e2e-driver.exe' list >"$out" 2>/dev/null </dev/null
  while IFS=$'\t' read -r name lang; do
    [ -n "$name" ] || continue
    lang_of[$name]=$lang
    all+=("$name")
  done < <(tr -d '\r' <"$out" | grep -E $'^[a-z0-9-]+\t')
  [ ${#all[@]} -gt 0 ] || fail_setup "the driver listed no scenarios"
  local wanted=("${scenarios[@]}")
  [ ${#wanted[@]} -eq 0 ] && wanted=("${all[@]}")

  # Windows' search order for uxtheme.dll, the program's folder first (Wine
  # otherwise takes its own copy first): the dll-search scenario plants one
  # there; no other scenario has one beside the programs.
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;uxtheme=n,b"

  local passed=0 failed=0 failed_names=() s t0 status output
  for s in "${wanted[@]}"; do
    t0=$(date +%s)
    # Each scenario has its own time limit; the driver bounds every wait
    # inside it, this catches the driver itself hanging.
    lang="${lang_of[$s]:-en_US.UTF-8}"
    env -u LC_CTYPE LANG="$lang" LC_ALL="$lang" timeout -k 5 180 \
      "$WINE_LOADER" 'C:\e2e\e2e-driver.exe' "$s" >"$out" 2>&1 </dev/null
    status=$?
    output=$(tr -d '\r' <"$out")
    # Under qemu-user a 32-bit Wine process is now and then killed (SIGKILL,
    # 137) on its way out; the driver's verdict, printed last, then stands.
    if [ $status -eq 137 ] && [ -n "$E2E_EMULATED" ] &&
        [ "$(grep -E '^(PASS|FAIL) ' <<<"$output" | tail -n1)" = "PASS $s" ]; then
      echo "    (the driver was killed on its way out, after its verdict)"
      status=0
    fi
    if [ $status -eq 0 ] && grep -qx "PASS $s" <<<"$output"; then
      # The driver's own lines; Wine's and the emulator's noise only when
      # something failed.
      grep -E '^(RUN |PASS |FAIL |  )' <<<"$output"
      passed=$((passed + 1))
      echo "    ($(( $(date +%s) - t0 )) s)"
    else
      grep -v '^$' <<<"$output"
      [ $status -eq 124 ] && echo "FAIL $s: killed after 180 s"
      failed=$((failed + 1))
      failed_names+=("$s")
    fi
  done

  echo "$kind run took $(( $(date +%s) - started )) s:" \
    "$passed of $((passed + failed)) scenarios passed${failed_names[*]:+, failed: ${failed_names[*]}}"
  echo "$passed $failed" >>"$results"
}

# The zips run side by side (each in its own prefix and display; the
# 32-bit run under emulation is the long one); each run's output is shown
# when it has ended, in the order of the zips.
results=$(mktemp "${TMPDIR:-/tmp}/taliq-e2e-results.XXXXXX")
logs=()
pids=()
trap 'rm -f "$results" "${logs[@]}"' EXIT
for zip in "${zips[@]}"; do
  log=$(mktemp "${TMPDIR:-/tmp}/taliq-e2e-log.XXXXXX")
  logs+=("$log")
  echo "started: $(basename "$zip")"
  ( run_zip "$(cd "$(dirname "$zip")" 2>/dev/null && pwd)/$(basename "$zip")" "$results" ) \
    >"$log" 2>&1 </dev/null &
  pids+=($!)
done
for i in "${!pids[@]}"; do
  wait "${pids[$i]}"
  cat "${logs[$i]}"
done

passed=0
failed=0
while read -r p f; do
  passed=$((passed + p))
  failed=$((failed + f))
done <"$results"
[ $((passed + failed)) -gt 0 ] || failed=1
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
