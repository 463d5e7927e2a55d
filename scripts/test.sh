#!/usr/bin/env bash
# Installs what is missing, then configures, builds and tests both presets:
# native (POSIX back end, sanitizers) and win32 (mingw-w64, tests under Wine),
# then runs each fuzz target for a bounded time (scripts/fuzz.sh, about a
# minute). Exits non-zero when any step fails.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1

summary=()
total_passed=0
total_failed=0
status=0

banner() {
  printf '\n==== %s ====\n' "$*"
}

# ctest's closing line: "NN% tests passed, F tests failed out of T".
count_tests() {  # PRESET LOG
  local line failed total
  line=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$2" | tail -n 1)
  if [ -z "$line" ]; then
    summary+=("$1: ctest ran no test")
    return
  fi
  failed=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  total_passed=$((total_passed + total - failed))
  total_failed=$((total_failed + failed))
  summary+=("$1: $((total - failed)) of $total tests passed")
}

run_preset() {  # PRESET
  local preset=$1 log
  banner "configure $preset"
  if ! cmake --preset "$preset"; then
    summary+=("$preset: configure FAILED"); status=1; return
  fi
  banner "build $preset"
  if ! cmake --build --preset "$preset"; then
    summary+=("$preset: build FAILED"); status=1; return
  fi
  banner "test $preset"
  log=$(mktemp)
  ctest --preset "$preset" --no-tests=error 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  count_tests "$preset" "$log"
  rm -f "$log"
}

# Every libFuzzer target for a bounded time; any crash fails the run.
run_fuzz() {
  banner "fuzz"
  if bash scripts/fuzz.sh; then
    summary+=("fuzz: every target ran without a crash")
  else
    summary+=("fuzz: FAILED (see build/fuzz/runs/)"); status=1
  fi
}

banner "dependencies"
if ! bash scripts/deps.sh; then
  echo "test.sh: installing the dependencies failed" >&2
  exit 1
fi

start=$SECONDS
run_preset native
run_preset win32
run_fuzz

banner "summary ($((SECONDS - start)) s)"
printf '%s\n' "${summary[@]}"
[ "$status" -eq 0 ] && echo "result: OK" || echo "result: FAILED"
echo "tests: $total_passed passed, $total_failed failed"
exit "$status"
