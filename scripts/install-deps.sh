#!/usr/bin/env bash
# Installs, with apt-get, exactly the Debian packages that are missing for building, testing and
# rendering. Safe to run any number of times: when everything is present it does nothing.
set -euo pipefail

packages=(
  # toolchain
  g++ cmake ninja-build pkg-config ccache
  # JUCE and what its modules compile against
  juce-modules-source
  libx11-dev libxext-dev libxrandr-dev libxinerama-dev libxcursor-dev libfreetype-dev
  libpng-dev libjpeg-dev zlib1g-dev fontconfig-config fonts-dejavu-core
  # tests and benchmarks
  libgtest-dev libbenchmark-dev valgrind clang-format python3
  # headless editor checks and audio measurements
  xvfb xauth x11-apps imagemagick sox
  # third-party VST2 plug-ins that prove the interface layer against code written elsewhere
  amsynth dpf-plugins-vst
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# --no-install-recommends matters: JUCE's package recommends a third-party VST2 header package
# that this project must not use.
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
