#!/usr/bin/env bash
# Optional, not part of CI: shows the built desktop program under Xvfb with a light
# window manager and takes screenshots of two bank windows tiled and cascaded, of
# the About box and of the Parameters panel, for checking the looks by eye.
#   scripts/look.sh [OUT_DIR] (default /tmp/quorlin-look); DISPLAY_NUMBER picks the display.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${1:-/tmp/quorlin-look}"
display=":${DISPLAY_NUMBER:-52}"
program="$here/build/src/app/quorlin"
[ -x "$program" ] || { echo "look.sh: build the program first (scripts/run.sh)" >&2; exit 1; }

# The window manager and the key sender are wanted for these pictures only.
missing=()
for tool in openbox xdotool Xvfb import; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt_get=(apt-get)
  [ "$(id -u)" -eq 0 ] || apt_get=(sudo apt-get)
  DEBIAN_FRONTEND=noninteractive "${apt_get[@]}" install -y --no-install-recommends \
    openbox xdotool xvfb imagemagick
fi

mkdir -p "$out"
home="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$home"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 300); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox &
pids+=($!)
# The window manager must be up before the program maps its window.
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done

"$here/build/src/cli/quorlin-cli" new "$home/first.m80"
"$here/build/src/cli/quorlin-cli" new "$home/second.m80"
QT_QPA_PLATFORM=xcb "$program" "$home/first.m80" "$home/second.m80" &
pids+=($!)
window=""
for _ in $(seq 300); do
  window="$(xdotool search --name '^Quorlin' 2>/dev/null | head -1)" && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "look.sh: the program's window did not appear" >&2; exit 1; }
settle() { sleep "${SETTLE_SECONDS:-1.5}"; }
keys() { xdotool windowactivate --sync "$window" key --clearmodifiers "$@"; settle; }
shot() { import -window root "$out/$1.png"; echo "look.sh: $out/$1.png"; }

# Until the window is mapped and painted.
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
settle
settle
shot two-banks-opened
keys alt+w t
shot two-banks-tiled
keys alt+w c
shot two-banks-cascaded
keys alt+h a
shot about
keys Escape
keys alt+v p
shot parameters-patch
keys Right
shot parameters-tone
