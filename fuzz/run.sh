#!/usr/bin/env bash
# Runs each fuzz target for the given number of seconds, starting from fuzz/corpus/<target>.
# The fuzzer works on a copy of the corpus, so the stored one only grows by hand: a crash
# leaves its input in the work folder named in the summary, to be added there once fixed.
#
#   fuzz/run.sh <build dir> <seconds>
set -uo pipefail

build=${1:?usage: fuzz/run.sh <build dir> <seconds>}
seconds=${2:?usage: fuzz/run.sh <build dir> <seconds>}
here=$(cd "$(dirname "$0")" && pwd)
targets=(fields cp932 records registry)

# The record and registry targets write a scratch file for each input, synced to the disk:
# memory-backed storage keeps that from setting the pace.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-fuzz.XXXXXX")

failed=0
for target in "${targets[@]}"; do
  program="$build/fuzz/fuzz_$target"
  if [ ! -x "$program" ]; then
    echo "fuzz_$target: not built ($program missing)"
    failed=1
    continue
  fi
  corpus="$work/$target"
  mkdir -p "$corpus"
  cp "$here/corpus/$target"/* "$corpus"/
  seeds=$(ls "$corpus" | wc -l)
  log="$work/$target.log"
  # Ten seconds on one input counts as a hang.
  "$program" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$work/$target-" "$corpus" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  if [ "$status" -eq 0 ]; then
    echo "fuzz_$target: ok, ${runs:-?} runs in ${seconds}s, coverage ${coverage:-?}," \
      "corpus $seeds -> $(ls "$corpus" | wc -l) inputs"
  else
    failed=1
    artifact=$(ls "$work/$target-"* 2>/dev/null | head -n 1)
    reason=$(grep -m 1 -E 'rule broken|ERROR:' "$log")
    echo "fuzz_$target: FAILED (exit $status) after ${runs:-?} runs: ${reason:-see log};" \
      "input ${artifact:-none}, log $log"
  fi
done

if [ "$failed" -eq 0 ]; then
  rm -rf "$work"
else
  echo "inputs and logs kept in $work"
fi
exit "$failed"
