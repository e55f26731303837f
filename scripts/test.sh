#!/usr/bin/env bash
# Builds and runs every test: both MinGW-w64 builds and release zips, the
# Windows programs' end-to-end tests under Wine on both zips (the 64-bit one
# under wine64, the 32-bit one under 32-bit Wine), a short run of each fuzz
# harness, the native suite with warnings as errors, and the same suite
# under AddressSanitizer and UndefinedBehaviorSanitizer.
#
# The stages run one after the other, but for one overlap: the 32-bit
# end-to-end run (Wine under emulation, one core) outlasts the 64-bit one by
# about two minutes, and the fuzz stage uses the core that leaves idle, with
# one build job at low priority. Nothing else runs beside the end-to-end
# runs: the prefixes' boot under emulation slows down badly beside a build.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
# Each stage's start, in seconds since this script started.
stage() { echo "== $* (at ${SECONDS} s)"; }

stage "Windows programs: both MinGW-w64 targets and both release zips"
scripts/win-build.sh --package --jobs "$jobs"

stage "the release zips' programs in real windows (wine64 and 32-bit Wine, Xvfb)"
e2e32_log=$(mktemp "${TMPDIR:-/tmp}/taliq-e2e-win32.XXXXXX")
trap 'rm -f "$e2e32_log"' EXIT
tests/e2e/run.sh --zip build/mingw-i686/taliq-tools-*-win32.zip >"$e2e32_log" 2>&1 </dev/null &
e2e32=$!
e2e_status=0
tests/e2e/run.sh --zip build/mingw-x64/taliq-tools-*-win64.zip || e2e_status=1

stage "fuzz harnesses, beside the 32-bit end-to-end run: a short run of each from its seed corpus (scripts/fuzz.sh)"
fuzz_status=0
nice -n 19 scripts/fuzz.sh --runs 2000 --jobs 1 || fuzz_status=1
wait "$e2e32" || e2e_status=1
stage "the 32-bit end-to-end run has ended"
cat "$e2e32_log"
[ $e2e_status -eq 0 ] || { echo "end-to-end tests failed"; exit 1; }
[ $fuzz_status -eq 0 ] || { echo "a fuzz harness found something"; exit 1; }

stage "native build (warnings are errors)"
cmake --preset ci >/dev/null
cmake --build --preset ci -j"$jobs"
ctest --preset ci -j"$jobs"

stage "sanitizers"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$jobs"
ctest --preset sanitize -j"$jobs"
stage "done"
