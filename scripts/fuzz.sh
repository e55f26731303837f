#!/usr/bin/env bash
# Builds the libFuzzer harnesses (preset "fuzz": clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each from its seed corpus.
#
#   scripts/fuzz.sh [SECONDS] [HARNESS...]   each harness SECONDS long (default
#                                            600), its corpus kept below
#                                            build/fuzz/runs/corpus/
#   scripts/fuzz.sh --runs N [HARNESS...]    each harness N runs (seed 1) on a
#                                            corpus thrown away afterwards: the
#                                            short check scripts/test.sh makes
#
# Options: --parallel N runs N harnesses at a time (default 1).
# Logs go to build/fuzz/runs/logs/HARNESS.log, a finding's input to
# build/fuzz/runs/artifacts/. The exit status is 1 when any harness found
# something.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=600
runs=""
parallel=1
harnesses=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --parallel) parallel="$2"; shift 2 ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    [0-9]*) seconds="$1"; shift ;;
    *) harnesses+=("$1"); shift ;;
  esac
done
if [ ${#harnesses[@]} -eq 0 ]; then
  for f in tests/fuzz/*_fuzz.cc; do harnesses+=("$(basename "$f" .cc)"); done
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"

out=build/fuzz/runs
mkdir -p "$out/logs" "$out/artifacts" "$out/corpus"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

run_one() {
  local h=$1 corpus seeds=tests/fuzz/corpus/$1 log=$out/logs/$1.log
  local limit=(-max_total_time="$seconds")
  if [ -n "$runs" ]; then
    corpus=$scratch/$h
    limit=(-runs="$runs" -seed=1)
  else
    corpus=$out/corpus/$h
  fi
  mkdir -p "$corpus" "$seeds"
  if build/fuzz/tests/fuzz/"$h" "$corpus" "$seeds" "${limit[@]}" \
      -print_final_stats=1 -artifact_prefix="$out/artifacts/$h-" >"$log" 2>&1; then
    echo "$h: $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") executions, no finding"
  else
    echo "$h: FINDING (see $log and $out/artifacts/)"
    return 1
  fi
}

status=0
pids=()
for h in "${harnesses[@]}"; do
  run_one "$h" &
  pids+=($!)
  if [ ${#pids[@]} -ge "$parallel" ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for p in "${pids[@]}"; do wait "$p" || status=1; done
exit $status
