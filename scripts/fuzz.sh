#!/usr/bin/env bash
# Builds the libFuzzer harnesses (preset "fuzz": clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each from its seed corpus: the files
# in tests/fuzz/corpus/HARNESS, and for the dictionary harnesses blocks and
# the punctuation table of the demo installation (made once, below
# build/fuzz/demo-install).
#
#   scripts/fuzz.sh [SECONDS] [HARNESS...]   each harness SECONDS long (default
#                                            600), its corpus kept below
#                                            build/fuzz/runs/corpus/
#   scripts/fuzz.sh --runs N [HARNESS...]    each harness N runs (seed 1) on a
#                                            corpus thrown away afterwards: the
#                                            short check scripts/test.sh makes
#
# Options: --parallel N runs N harnesses at a time (default 1);
# --demo-install DIR takes the seeds from a demo installation made earlier
# (demo/make_demo.sh --root DIR) instead of making one.
# Logs go to build/fuzz/runs/logs/HARNESS.log, a finding's input to
# build/fuzz/runs/artifacts/. The exit status is 1 when any harness found
# something.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=600
runs=""
parallel=1
demo=build/fuzz/demo-install
demo_given=""
harnesses=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --parallel) parallel="$2"; shift 2 ;;
    --demo-install) demo="$2"; demo_given=1; shift 2 ;;
    -h|--help) sed -n '2,21p' "$0"; exit 0 ;;
    [0-9]*) seconds="$1"; shift ;;
    *) harnesses+=("$1"); shift ;;
  esac
done
if [ ${#harnesses[@]} -eq 0 ]; then
  for f in tests/fuzz/*_fuzz.cc; do harnesses+=("$(basename "$f" .cc)"); done
fi

demo_folder="$demo/Program Files (x86)/lurm/rozevuv_cht/mb/cht"
if [ -n "$demo_given" ] && [ ! -f "$demo_folder/lurm2008.idx" ]; then
  echo "fuzz.sh: $demo holds no demo installation (demo/make_demo.sh --root $demo makes one)" >&2
  exit 2
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"

out=build/fuzz/runs
mkdir -p "$out/logs" "$out/artifacts" "$out/corpus"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Seeds for the dictionary harnesses, cut from the demo installation (made
# once, below build/fuzz/demo-install, by demo/make_demo.sh, unless given).
if [ ! -f "$demo_folder/lurm2008.idx" ] &&
   ! demo/make_demo.sh --build-dir build/fuzz --root "$demo" >"$out/logs/demo.log" 2>&1; then
  echo "fuzz.sh: no demo installation (see $out/logs/demo.log); the dictionary harnesses start without its seeds"
fi
demo_seeds=$scratch/demo-seeds
if [ -f "$demo_folder/lurm2008.idx" ]; then
  build/fuzz/tests/fuzz/make_fuzz_seeds "$demo_folder" "$demo_seeds" >/dev/null
fi

run_one() {
  local h=$1 corpus log=$out/logs/$1.log
  local seeds=()
  [ -d "tests/fuzz/corpus/$h" ] && seeds+=("tests/fuzz/corpus/$h")
  [ -d "$demo_seeds/$h" ] && seeds+=("$demo_seeds/$h")
  local limit=(-max_total_time="$seconds")
  if [ -n "$runs" ]; then
    corpus=$scratch/$h
    limit=(-runs="$runs" -seed=1)
  else
    corpus=$out/corpus/$h
  fi
  mkdir -p "$corpus"
  if build/fuzz/tests/fuzz/"$h" "$corpus" "${seeds[@]}" "${limit[@]}" \
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
