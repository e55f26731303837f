#!/usr/bin/env bash
# The main job on the demo installation, from a fresh machine: installs what is
# missing, builds, creates the demo installation from real data and lists the
# candidates of a few codes in the order the input method offers them.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --preset dev >/dev/null
cmake --build --preset dev -j"$(nproc)"
demo/make_demo.sh --build-dir build/dev

export PROGRAMFILES="$PWD/demo-install/Program Files (x86)"
cli=build/dev/cli/tunavo-cli

show() {  # show LABEL ARGS...: one listing, its candidates on one line
  local label=$1
  shift
  local out
  out=$("$cli" "$@")
  printf '%s (%s candidates):\n  %s\n' "$label" "$(printf '%s\n' "$out" | grep -c .)" \
    "$(printf '%s\n' "$out" | tr '\n' ' ')"
}

echo
echo "Demo installation: $PROGRAMFILES"
show "traditional, code 4422" list 4422
show "simplified, code 4422" --charset chs list 4422
show "simplified 2002 edition, code 5000" --charset chs --edition 2002 list 5000
show "traditional phrases, code 10102" list 10102
show "traditional phrases, code 500601" list 500601
show "punctuation, traditional" list --punctuation
