#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first a normal build,
# then the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer,
# then the end-to-end transfers over a JACK server.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/deps.sh

export QT_QPA_PLATFORM=offscreen
# Keep the tests' settings, clipboard and virtual instrument memory away from the user's.
test_home="$(mktemp -d)"
trap 'rm -rf "$test_home"' EXIT
export XDG_CONFIG_HOME="$test_home/config" XDG_DATA_HOME="$test_home/data"
export XDG_RUNTIME_DIR="$test_home/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

echo "== normal build"
bash scripts/build.sh build -DQUORLIN_TESTS=ON -DQUORLIN_SANITIZE=OFF
(cd build && ctest --output-on-failure --timeout 300)

echo "== Debian package"
bash tests/package/check_deb.sh build

echo "== sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer)"
bash scripts/build.sh build-sanitize -DQUORLIN_TESTS=ON -DQUORLIN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure --timeout 600)

if [ -f tests/e2e/run_e2e.sh ]; then
  echo "== end to end over JACK"
  bash tests/e2e/run_e2e.sh build
fi

if command -v clang++ >/dev/null 2>&1; then
  echo "== fuzzing each parser briefly"
  bash scripts/fuzz.sh 20
fi

echo "== all tests passed"
