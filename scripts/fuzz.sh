#!/usr/bin/env bash
# Builds the fuzz preset and runs every libFuzzer target for a bounded time,
# each on a fresh copy of its seed corpus (fuzz/corpus/<target>), so the
# repository's corpus never grows. Exits non-zero when a target crashes,
# breaks an invariant, leaks, times out or cannot be built.
#
#   scripts/fuzz.sh [seconds-per-target]      default 10: about a minute for all
#   MOK_FUZZ_BUILD_DIR=/tmp/x scripts/fuzz.sh  another build folder (default build/fuzz)
#
# A crash leaves its input in <build>/runs/<target>/artifacts/; replay it with
# <build>/fuzz/mok_fuzz_<target> <file>. fuzz/README.md describes longer runs.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1

seconds=${1:-10}
build=${MOK_FUZZ_BUILD_DIR:-build/fuzz}
targets=(manifest_pass manifest_size percent_encode path_safety entry_rule version_state)

mkdir -p "$build"
if ! cmake --preset fuzz -B "$build" >"$build/configure.log" 2>&1; then
  cat "$build/configure.log"
  echo "fuzz.sh: configuring the fuzz preset failed" >&2
  exit 1
fi
if ! cmake --build "$build" --target mok_fuzzers; then
  echo "fuzz.sh: building the fuzz targets failed" >&2
  exit 1
fi

status=0
for target in "${targets[@]}"; do
  run="$build/runs/$target"
  rm -rf "$run"
  mkdir -p "$run/corpus" "$run/artifacts"
  cp fuzz/corpus/"$target"/* "$run/corpus/"
  options=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1 -artifact_prefix="$run/artifacts/")
  case $target in
    manifest_pass | path_safety | entry_rule) options+=(-dict=fuzz/paths.dict) ;;
  esac
  # -timeout: one input taking seconds is a hang worth reporting.
  "$build/fuzz/mok_fuzz_$target" "${options[@]}" "$run/corpus" >"$run/log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$run/log")
  if [ "$rc" -eq 0 ]; then
    echo "fuzz $target: ${runs:-?} inputs in ${seconds} s, no crash"
  else
    status=1
    echo "fuzz $target: FAILED (exit $rc); log $run/log, input in $run/artifacts/"
    grep -E 'INVARIANT BROKEN|ERROR: |SUMMARY: |runtime error' "$run/log" | head -n 5
  fi
done
exit "$status"
