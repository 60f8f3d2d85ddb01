#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quorlin.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/deps.sh
cmake -S . -B build >/dev/null
# Only the programs: the tests are scripts/test.sh's business.
targets=(quorlin-cli)
# Ask for the list of targets first: grep -q leaving a pipe early would fail it.
target_list="$(cmake --build build --target help)"
for target in quorlin mks80-sim; do
  if grep -q "^\.\.\. $target\$" <<<"$target_list"; then
    targets+=("$target")
  fi
done
cmake --build build --parallel "$(nproc)" --target "${targets[@]}"

if [ -x build/src/app/quorlin ]; then
  no_display=""
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    no_display="DISPLAY is not set"
  elif [ -n "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ] &&
    command -v xdpyinfo >/dev/null 2>&1 && ! xdpyinfo >/dev/null 2>&1; then
    no_display="the display $DISPLAY cannot be opened"
  fi
  if [ -n "$no_display" ]; then
    echo "run.sh: Quorlin needs a display to open its window on, and $no_display." >&2
    echo "run.sh: the command-line tool works without one: build/src/cli/quorlin-cli --help" >&2
    exit 1
  fi
  exec build/src/app/quorlin "$@"
fi

echo "Qt 6 Widgets was not found, so the desktop program is not built; here is the command-line tool instead."
demo="$(mktemp -d)"
build/src/cli/quorlin-cli new "$demo/demo.m80"
echo "Made a new bank: $demo/demo.m80 ($(wc -c <"$demo/demo.m80") bytes). Its entries:"
build/src/cli/quorlin-cli list "$demo/demo.m80"
