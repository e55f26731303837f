#!/usr/bin/env bash
# Builds and runs every test: both MinGW-w64 builds and release zips, the
# Windows programs' end-to-end tests under Wine on both zips (the 64-bit one
# under wine64, the 32-bit one under 32-bit Wine), the native suite with
# warnings as errors, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short run of each fuzz harness.
#
# The stages run one after the other: the end-to-end runs (32-bit Wine
# under emulation above all) slow down badly beside a build, and cost more
# that way than on their own.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
# Each stage's start, in seconds since this script started.
stage() { echo "== $* (at ${SECONDS} s)"; }

stage "Windows programs: both MinGW-w64 targets and both release zips"
scripts/win-build.sh --package --jobs "$jobs"

stage "the release zips' programs in real windows (wine64 and 32-bit Wine, Xvfb)"
tests/e2e/run.sh --zip build/mingw-x64/taliq-tools-*-win64.zip \
  --zip build/mingw-i686/taliq-tools-*-win32.zip

stage "native build (warnings are errors)"
cmake --preset ci >/dev/null
cmake --build --preset ci -j"$jobs"
ctest --preset ci -j"$jobs"

stage "sanitizers"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$jobs"
ctest --preset sanitize -j"$jobs"

stage "fuzz harnesses: a short run of each from its seed corpus (scripts/fuzz.sh)"
scripts/fuzz.sh --runs 2000 --parallel "$jobs" --demo-install build/ci/demo-install
stage "done"
