#!/usr/bin/env bash
# Fuzzes the readers of stored data (state chunks, preset files, the settings file) with
# libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer, a bounded time per target,
# starting from the seed inputs in tests/fuzz/corpus. Any finding fails the run; the input that
# caused it is left in the build folder's findings/.
# Usage: scripts/fuzz.sh [seconds per target]   (default 20)
# The build folder is build/fuzz, or $VANTRIX_FUZZ_BUILD.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-20}
source "$root/scripts/common.sh"
cd "$root"

vantrix_ensure_packages
build=${VANTRIX_FUZZ_BUILD:-build/fuzz}
targets=(read_state load_preset settings_file)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVANTRIX_FUZZ=ON -DVANTRIX_TESTS=OFF -DVANTRIX_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]/#/fuzz_}" -- -j"$(nproc)"

mkdir -p "$build/findings"
for target in "${targets[@]}"; do
  # New inputs go to a scratch corpus, so the seeds in the repository stay as they are.
  scratch=$(mktemp -d)
  log="$build/findings/$target.log"
  status=0
  "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/findings/$target-" "$scratch" "tests/fuzz/corpus/$target" \
    >"$log" 2>&1 || status=$?
  rm -rf "$scratch"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log" >&2
    echo "fuzz: $target FAILED (status $status); see $log" >&2
    exit 1
  fi
  echo "fuzz: $target: ${runs:-?} inputs in ${seconds} s, no findings"
done
