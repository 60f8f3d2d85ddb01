#!/usr/bin/env bash
# Installs every Debian package that the build, the program and the tests need,
# only when something is missing. Works as root and through sudo.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
  # RtMidi must come with JACK's development files, or apt removes it with jackd2.
  librtmidi-dev libjack-jackd2-dev jackd2
  xvfb xauth imagemagick x11-utils
  fonts-dejavu-core
  # libFuzzer: clang and its fuzzer runtime
  clang libclang-rt-dev
  # The Debian package and the checks of what it holds.
  dpkg-dev file appstream desktop-file-utils shared-mime-info man-db lintian
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo_cmd=()
elif command -v sudo >/dev/null 2>&1; then
  sudo_cmd=(sudo)
else
  echo "deps.sh: these packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# jackd2 asks whether to run with real-time priority; answer for it.
echo "jackd2 jackd/tweak_rt_limits boolean false" | "${sudo_cmd[@]}" debconf-set-selections 2>/dev/null || true
"${sudo_cmd[@]}" apt-get update
# With the recommended packages: Qt's CMake files look for some of them.
"${sudo_cmd[@]}" apt-get install -y "${missing[@]}"
