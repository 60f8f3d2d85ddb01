#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quorlin.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/deps.sh
cmake -S . -B build >/dev/null
# Only the programs: the tests are scripts/test.sh's business.
targets=(quorlin-cli)
if cmake --build build --target help | grep -q '^\.\.\. quorlin$'; then
  targets+=(quorlin)
fi
cmake --build build --parallel "$(nproc)" --target "${targets[@]}"

if [ -x build/src/app/quorlin ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "run.sh: no display to open a window on (DISPLAY is not set)." >&2
    echo "run.sh: the command-line tool works without one: build/src/cli/quorlin-cli --help" >&2
    exit 1
  fi
  exec build/src/app/quorlin "$@"
fi

echo "The desktop window is not built yet; here is the command-line tool instead."
demo="$(mktemp -d)"
build/src/cli/quorlin-cli new "$demo/demo.m80"
echo "Made a new bank: $demo/demo.m80 ($(wc -c <"$demo/demo.m80") bytes). Its entries:"
build/src/cli/quorlin-cli list "$demo/demo.m80"
