#!/usr/bin/env bash
# Builds and runs every test: the Windows programs' end-to-end tests under
# Wine on both release zips (the 64-bit one under wine64, the 32-bit one under
# 32-bit Wine), the native suite with warnings as errors, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of each
# fuzz harness.
#
# The end-to-end runs' scenarios spend much of their time waiting for
# windows, so once both Wine prefixes are set up (which is slow under
# emulation and must not share the processor with a build) the scenarios run
# in the background (a process group of their own, which gets its share of
# the processor) while the native stages build and test, niced. The
# end-to-end output is shown when they have ended.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
# Each stage's start, in seconds since this script started.
stage() { echo "== $* (at ${SECONDS} s)"; }
low() { nice -n 15 "$@"; }

stage "Windows programs: both MinGW-w64 targets and both release zips"
scripts/win-build.sh --package --jobs "$jobs"

stage "the release zips' programs in real windows (wine64 and 32-bit Wine, Xvfb): setting up"
e2e_log=$(mktemp "${TMPDIR:-/tmp}/taliq-e2e.XXXXXX")
E2E_READY_FILE=$(mktemp "${TMPDIR:-/tmp}/taliq-e2e-ready.XXXXXX")
export E2E_READY_FILE
# A process group of its own, so that a failing stage below can end it.
setsid tests/e2e/run.sh --zip build/mingw-x64/taliq-tools-*-win64.zip \
  --zip build/mingw-i686/taliq-tools-*-win32.zip >"$e2e_log" 2>&1 </dev/null &
e2e_pid=$!
trap 'kill -- -"$e2e_pid" 2>/dev/null || true; rm -f "$e2e_log" "$E2E_READY_FILE"' EXIT
# Both prefixes set up (or the run over) before anything else starts; the
# setup's own time limits end a stuck boot.
while [ "$(wc -l <"$E2E_READY_FILE")" -lt 2 ] && kill -0 "$e2e_pid" 2>/dev/null; do
  sleep 1
done
stage "Wine prefixes set up; the scenarios go on in the background"

stage "native build (warnings are errors)"
cmake --preset ci >/dev/null
low cmake --build --preset ci -j"$jobs"
low ctest --preset ci -j"$jobs"

stage "sanitizers"
cmake --preset sanitize >/dev/null
low cmake --build --preset sanitize -j"$jobs"
low ctest --preset sanitize -j"$jobs"

stage "fuzz harnesses: a short run of each from its seed corpus (scripts/fuzz.sh)"
low scripts/fuzz.sh --runs 2000 --parallel "$jobs"

stage "waiting for the end-to-end runs"
e2e_status=0
wait "$e2e_pid" || e2e_status=$?
cat "$e2e_log"
stage "done"
exit "$e2e_status"
