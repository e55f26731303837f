#!/usr/bin/env bash
# The lookup as users run it, a whole process: tunavo-cli list --phrases of
# the last group in a phrase block of about 25 MB, beside a small C program
# that opens the table, streams the same block through one 128 KiB buffer
# and closes it (bench/stream_block.c). Target: within 1.3 times.
#
#   bench/run-cli-bench.sh [--build-dir DIR] [--runs N] [--also NAME=PROGRAM]...
#
# --build-dir  Release build folder (default build/rel, configured when it
#              is not yet); builds tunavo-cli, make_big_block, stream_block
# --runs       runs of each command (default 100)
# --also       another tunavo-cli to run the same lookup with, side by side
#              (for instance one built with other link options)
# --loop       time the runs with the interleaved loop below even when
#              hyperfine is there
#
# The installation is built in a temporary folder (bench/make_big_block.cc)
# and removed at the end; the table is in the page cache for every run
# (warm-up runs first). With hyperfine (Debian package hyperfine) its
# report, which runs each command's runs one after the other; otherwise, or
# with --loop, a loop that runs the commands in turn, one run of each per
# round, so that a change of the machine's load falls on all of them alike,
# and prints each one's median and spread (first to third quartile).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build="$repo/build/rel"
runs=100
also=()
loop=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --also) also+=("$2"); shift 2 ;;
    --loop) loop=1; shift ;;
    -h|--help) sed -n '2,24p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run-cli-bench.sh: unknown argument '$1' (try --help)" >&2; exit 2 ;;
  esac
done
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTALIQ_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target tunavo-cli make_big_block stream_block >/dev/null

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mapfile -t block < <("$build/bench/make_big_block" "$tmp")
table=${block[0]} offset=${block[1]} length=${block[2]} code=${block[3]}
programFiles="$tmp/Program Files (x86)"
echo "phrase block of code $code: $length bytes at offset $offset of $table"

# name, then the command as words
names=("stream_block" "tunavo-cli")
commands=(
  "$(printf '%q ' "$build/bench/stream_block" "$table" "$offset" "$length")"
  "$(printf '%q ' "$build/cli/tunavo-cli" --program-files "$programFiles" list --phrases "$code")"
)
for a in "${also[@]}"; do
  names+=("${a%%=*}")
  commands+=("$(printf '%q ' "${a#*=}" --program-files "$programFiles" list --phrases "$code")")
done
# Every command must work before it is timed.
for c in "${commands[@]}"; do
  eval "$c" >/dev/null || { echo "run-cli-bench.sh: failed: $c" >&2; exit 1; }
done
[ "$(eval "${commands[1]}" | wc -l)" -eq 300 ] || { echo "run-cli-bench.sh: expected 300 candidates" >&2; exit 1; }

if [ "$loop" -eq 0 ] && command -v hyperfine >/dev/null 2>&1; then
  args=()
  for i in "${!commands[@]}"; do args+=(--command-name "${names[$i]}" "${commands[$i]}"); done
  hyperfine -N --warmup 10 --runs "$runs" --export-json "$tmp/result.json" "${args[@]}"
  python3 - "$tmp/result.json" <<'PY' || true
import json, sys
r = json.load(open(sys.argv[1]))["results"]
base = sorted(r[0]["times"])
def q(t, p): return sorted(t)[int(p * (len(t) - 1))]
for x in r:
    t = x["times"]
    print("%-14s median %.3f ms  (quartiles %.3f-%.3f ms)  median ratio %.2f" % (
        x["command"], q(t, .5) * 1e3, q(t, .25) * 1e3, q(t, .75) * 1e3, q(t, .5) / q(base, .5)))
PY
else
  # Interleaved: one run of each command per round, each round starting
  # with the next command (a command run right after another may pay for
  # it: the same place every round would tilt the figures).
  declare -A times
  n=${#commands[@]}
  for ((r = 0; r < runs + 10; r++)); do
    for ((j = 0; j < n; j++)); do
      i=$(((j + r) % n))
      start=${EPOCHREALTIME/[.,]/}
      eval "${commands[$i]}" >/dev/null 2>&1
      end=${EPOCHREALTIME/[.,]/}
      [ "$r" -ge 10 ] && times[$i]+="$((end - start)) "
    done
  done
  base=""
  for i in "${!commands[@]}"; do
    read -r q1 med q3 < <(tr ' ' '\n' <<<"${times[$i]}" | grep . | sort -n |
      awk '{a[NR]=$1} END {print a[int((NR-1)*.25)+1], a[int((NR-1)*.5)+1], a[int((NR-1)*.75)+1]}')
    [ -z "$base" ] && base=$med
    printf '%-14s median %d us  (quartiles %d-%d us)  median ratio %s\n' "${names[$i]}" "$med" "$q1" \
      "$q3" "$(awk -v a="$med" -v b="$base" 'BEGIN {printf "%.2f", a / b}')"
  done
fi
