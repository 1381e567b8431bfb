#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) into build-fuzz/ and runs each for SECONDS
# (30 by default), starting from fuzz/corpus/<target>/. A crash, leak or
# undefined behaviour stops with the failing input in build-fuzz/findings/.
# FUZZ_SEED fixes libFuzzer's seed (the test command's short runs use one, so
# that a change, not chance, decides whether they pass).
# Usage: tools/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
shift || true
jobs=$(nproc 2>/dev/null || echo 2)

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
  -DVEXO_FUZZ=ON -DVEXO_SANITIZE=ON -DVEXO_BUILD_TESTS=OFF -DVEXO_BUILD_BENCH=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi
cmake --build build-fuzz -j "$jobs" --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
mkdir -p build-fuzz/findings
for t in "${targets[@]}"; do
  # The committed seeds stay as they are; new finds go to a scratch copy.
  corpus="build-fuzz/corpus/$t"
  mkdir -p "$corpus"
  if [ -d "fuzz/corpus/$t" ]; then cp -n fuzz/corpus/"$t"/* "$corpus"/ 2>/dev/null || true; fi
  options=()
  if [ -f "fuzz/$t.dict" ]; then options=(-dict="fuzz/$t.dict"); fi
  if [ -n "${FUZZ_SEED:-}" ]; then options+=(-seed="$FUZZ_SEED"); fi
  log="build-fuzz/findings/$t.log"
  if ! "build-fuzz/fuzz/$t" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$t-" "$corpus" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "fuzz: $t found a fault; the input is in build-fuzz/findings/" >&2
    exit 1
  fi
  echo "fuzz: $t: $(grep -o 'number_of_executed_units: *[0-9]*' "$log" | tr -s ' ') in ${seconds}s," \
    "$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)"
done
echo "fuzz: ${#targets[@]} targets ran ${seconds}s each without a finding"
