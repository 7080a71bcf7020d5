#!/usr/bin/env bash
# Installs the Debian packages that building and testing need.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang
  libgtest-dev libgmock-dev libbenchmark-dev
  libx11-dev libxtst-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils
  libpng-dev libfontconfig-dev libfreetype-dev libftgl-dev fonts-dejavu-core
  xvfb xauth x11-utils
  libsndfile1-dev
  libjack-jackd2-dev jackd2 jalv
  lv2-dev liblilv-dev lilv-utils sordi calf-plugins
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
