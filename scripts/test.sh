#!/usr/bin/env bash
# Builds and runs every test: the native suite with warnings as errors, the
# same suite under AddressSanitizer and UndefinedBehaviorSanitizer, a short
# run of each fuzz harness, and the Windows programs' end-to-end tests under
# Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)

echo "== native build (warnings are errors)"
cmake --preset ci >/dev/null
cmake --build --preset ci -j"$jobs"
ctest --preset ci -j"$jobs"

echo "== sanitizers"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$jobs"
ctest --preset sanitize -j"$jobs"

echo "== fuzz harnesses: a short run of each from its seed corpus (scripts/fuzz.sh)"
scripts/fuzz.sh --runs 2000 --parallel "$jobs"

echo "== Windows programs: both MinGW-w64 targets"
scripts/win-build.sh --jobs "$jobs"

echo "== Windows programs in real windows (wine64, Xvfb)"
tests/e2e/run.sh --build-dir build/mingw-x64 --release-dir build/mingw-i686
