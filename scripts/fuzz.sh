#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one from its starting corpus:
#   scripts/fuzz.sh [SECONDS]   (default 20 per target)
# New inputs the fuzzer finds go to a scratch folder, never into tests/. A crash
# leaves its input in build-fuzz/ and fails the script.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
seconds="${1:-20}"
build=build-fuzz
cmake -S "$here" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQUORLIN_TESTS=ON -DQUORLIN_FUZZ=ON -DQUORLIN_SANITIZE=OFF >/dev/null

targets=(fuzz_files fuzz_blocks fuzz_midi_file fuzz_sysex_assembler fuzz_live_messages)
if grep -q '^QUORLIN_GUI:BOOL=ON' "$build/CMakeCache.txt"; then
  targets+=(fuzz_clipboard)
fi
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

# The starting corpus of each target: inputs that begin the way its parser expects.
corpus() {
  case "$1" in
    fuzz_files) echo tests/data/banks tests/data/dumps ;;
    fuzz_blocks | fuzz_sysex_assembler) echo tests/data/dumps ;;
    fuzz_midi_file) echo tests/data/dumps ;;
    fuzz_clipboard) echo tests/fuzz/clipboard ;;
    fuzz_live_messages) echo tests/fuzz/live ;;
  esac
}

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
for target in "${targets[@]}"; do
  mkdir -p "$scratch/$target"
  # shellcheck disable=SC2046
  (cd "$build" && QT_QPA_PLATFORM=offscreen TMPDIR="$scratch" \
    "tests/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
    "$scratch/$target" $(for d in $(corpus "$target"); do echo "$here/$d"; done)) \
    >"$scratch/$target.log" 2>&1 || {
      tail -40 "$scratch/$target.log"
      echo "fuzz: $target failed" >&2
      exit 1
    }
  echo "fuzz: $target: $(grep -m1 'stat::number_of_executed_units' "$scratch/$target.log" | awk '{print $2}') executions in ${seconds} s"
done
